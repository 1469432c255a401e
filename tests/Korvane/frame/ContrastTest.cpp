// Every text on every page of the main window stands out from what is drawn behind it: the
// contrast between the text's colour and the page as painted under it (the dark background
// picture wherever nothing else is painted) is at least 4.5:1, by the relative luminance of the
// web's accessibility guidelines. Each tab of a page is looked at; disabled controls are not.
#include "FramePagesFixture.h"

#include "KorvaneView.h"

#include <QAbstractButton>
#include <QDialog>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

double Channel(int v)
{
    const double c = v / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor &c)
{
    return 0.2126 * Channel(c.red()) + 0.7152 * Channel(c.green()) + 0.0722 * Channel(c.blue());
}

double Contrast(const QColor &a, const QColor &b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// One text as the page shows it: where it is drawn (in the frame) and in which colour.
struct TextSpot
{
    QWidget *widget;
    QString text;
    QRect rect;
    QPalette::ColorRole role;
    QColor colour;
};

QString PlainText(const QString &text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    QTextDocument doc;
    doc.setHtml(text);
    return doc.toPlainText();
}

std::vector<TextSpot> VisibleTexts(QWidget *frame, QWidget *root)
{
    std::vector<TextSpot> spots;
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (!w->isVisible() || !w->isEnabled() || w->width() <= 2 || w->height() <= 2)
            continue;
        TextSpot spot{w, {}, {}, w->foregroundRole(), {}};
        if (auto *label = qobject_cast<QLabel *>(w)) {
            spot.text = PlainText(label->text()).trimmed();
            if (spot.text.isEmpty())
                continue;
            spot.rect = label->contentsRect();
            if (!label->wordWrap() && !spot.text.contains(QLatin1Char('\n'))) {
                const QSize size = label->fontMetrics().size(0, spot.text).boundedTo(spot.rect.size());
                spot.rect = QStyle::alignedRect(label->layoutDirection(), label->alignment(), size, spot.rect);
            }
        } else if (qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w)) {
            auto *button = static_cast<QAbstractButton *>(w);
            spot.text = button->text().trimmed();
            if (spot.text.isEmpty())
                continue;
            QStyleOptionButton opt;
            opt.initFrom(button);
            opt.text = button->text();
            spot.rect = w->style()->subElementRect(qobject_cast<QCheckBox *>(w) ? QStyle::SE_CheckBoxContents
                                                                               : QStyle::SE_RadioButtonContents,
                                                   &opt, w);
            const QSize size = button->fontMetrics().size(0, spot.text).boundedTo(spot.rect.size());
            spot.rect.setSize(size);
        } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
            spot.text = group->title().trimmed();
            if (spot.text.isEmpty())
                continue;
            spot.rect = QRect(8, 0, std::min(group->width() - 8, group->fontMetrics().horizontalAdvance(spot.text)),
                              group->fontMetrics().height());
        } else {
            continue;
        }
        // Only what is on screen: a text scrolled or clipped out of sight is not looked at.
        spot.rect = spot.rect.intersected(w->visibleRegion().boundingRect());
        if (spot.rect.width() < 2 || spot.rect.height() < 2)
            continue;
        spot.colour = w->palette().color(QPalette::Active, spot.role);
        spot.rect = spot.rect.translated(w->mapTo(frame, QPoint(0, 0)));
        spots.push_back(spot);
    }
    return spots;
}

// The frame as drawn with the given texts invisible: what lies behind them.
QImage Behind(QWidget *frame, const std::vector<TextSpot> &spots)
{
    std::map<QWidget *, std::pair<QPalette, QString>> saved;
    for (const TextSpot &s : spots) {
        if (saved.count(s.widget))
            continue;
        saved[s.widget] = {s.widget->palette(), s.widget->styleSheet()};
        QPalette pal = s.widget->palette();
        pal.setColor(s.role, Qt::transparent);
        s.widget->setPalette(pal);
        // A style sheet's colour wins over the palette's, and an ancestor's sheet may set one.
        const QString sheet = s.widget->styleSheet();
        s.widget->setStyleSheet(sheet.contains(QLatin1Char('{')) ? sheet + QStringLiteral(" * { color: transparent; }")
                                                                : sheet + QStringLiteral(";color: transparent;"));
    }
    const QImage image = frame->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (auto &[w, was] : saved) {
        w->setStyleSheet(was.second);
        w->setPalette(was.first);
    }
    return image;
}

// The contrast that nine in ten of the pixels behind the text give at least.
double ContrastBehind(const QImage &behind, const TextSpot &spot)
{
    const QRect r = spot.rect.intersected(behind.rect());
    std::vector<double> ratios;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            ratios.push_back(Contrast(spot.colour, QColor(behind.pixel(x, y))));
    if (ratios.empty())
        return 21.0;
    const std::size_t k = ratios.size() / 10;
    std::nth_element(ratios.begin(), ratios.begin() + static_cast<std::ptrdiff_t>(k), ratios.end());
    return ratios[k];
}

class ContrastTest : public FramePagesFixture
{
protected:
    // The texts of the shown page below the contrast, one line each.
    QStringList Faults(int page, const QString &where)
    {
        QStringList out;
        QWidget *frame = m_frame.get();
        const std::vector<TextSpot> spots = VisibleTexts(frame, m_frame->GetActiveView()->CurrentPage());
        const QImage behind = Behind(frame, spots);
        for (const TextSpot &s : spots) {
            const double ratio = ContrastBehind(behind, s);
            if (ratio < 4.5)
                out << QStringLiteral("page %1%2: %3 \"%4\" %5 on its background: %6:1")
                           .arg(page)
                           .arg(where, QString::fromLatin1(s.widget->metaObject()->className()), s.text.left(40),
                                s.colour.name())
                           .arg(ratio, 0, 'f', 2);
        }
        return out;
    }
};

TEST(ContrastRatio, FollowsTheRelativeLuminance)
{
    EXPECT_NEAR(Contrast(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(Contrast(Qt::white, Qt::white), 1.0, 1e-9);
    EXPECT_NEAR(Contrast(QColor(0x77, 0x77, 0x77), Qt::white), 4.48, 0.01);  // the classic near miss
    EXPECT_GE(Contrast(QColor(0x76, 0x76, 0x76), Qt::white), 4.5);
}

TEST_F(ContrastTest, EveryTextOnEveryPageAndTabStandsOutFromItsBackground)
{
    QStringList faults;
    int texts = 0;
    const int pages = ForEachPageAndTab([&](int id, const QString &where) {
        if (where.isEmpty())
            texts += int(VisibleTexts(m_frame.get(), m_frame->GetActiveView()->CurrentPage()).size());
        faults << Faults(id, where);
    });
    EXPECT_GE(pages, 15);
    EXPECT_GT(texts, 60);
    faults.removeDuplicates();
    EXPECT_TRUE(faults.isEmpty()) << faults.size() << " texts:\n" << faults.join(QLatin1Char('\n')).toStdString();
}

}  // namespace

namespace {

// A box a page opens is a window of its own on a light background: its texts stay dark.
TEST_F(ContrastTest, ABoxAPageOpensKeepsItsDarkTexts)
{
    m_frame->GetActiveView()->ShowPage(kParamsPageId);
    QDialog box(m_frame->GetActiveView()->CurrentPage());
    auto *label = new QLabel(QStringLiteral("参数写入成功"), &box);
    label->move(20, 20);
    box.resize(200, 80);
    box.show();
    ASSERT_TRUE(SettleWindow(&box));
    const QImage image = box.grab().toImage();
    EXPECT_GE(Contrast(label->palette().color(QPalette::WindowText), QColor(image.pixel(5, 5))), 4.5);
}

}  // namespace
