#include "ScreenTextAudit.h"

#include "controls/KVProcessIndicator.h"

#include "ToolBoxEx.h"
#include "Wnds/Controls/DiagramScene.h"
#include "platform/ControlId.h"
#include "platform/grid/Grid.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QGraphicsProxyWidget>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QGraphicsView>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTextDocument>
#include <QToolButton>

#include <iconv.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace {

bool Encodes(iconv_t cd, char32_t c)
{
    const QByteArray utf8 = QString::fromUcs4(&c, 1).toUtf8();
    char in[8] = {};
    std::memcpy(in, utf8.constData(), std::size_t(utf8.size()));
    char out[16];
    char *pin = in;
    char *pout = out;
    std::size_t inLeft = std::size_t(utf8.size());
    std::size_t outLeft = sizeof out;
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    return ::iconv(cd, &pin, &inLeft, &pout, &outLeft) != std::size_t(-1) && inLeft == 0;
}

bool IsCjk(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F)
        || (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

// The text a caption shows: "&&" is one '&', a single '&' marks the mnemonic and shows nothing.
QString ShownCaption(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;
            out += text[i];
            continue;
        }
        out += text[i];
    }
    return out;
}

int WidestLine(const QFontMetrics &fm, const QString &text)
{
    int widest = 0;
    for (const QString &line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

QString Name(const QWidget *w)
{
    QString name = QString::fromLatin1(w->metaObject()->className());
    const int id = platform::GetCtrlId(w);
    if (id > 0)
        name += QLatin1Char('#') + QString::number(id);
    else if (!w->objectName().isEmpty())
        name += QLatin1Char(':') + w->objectName();
    return name;
}

const platform::GridCtrl *OwningGrid(const QWidget *w)
{
    for (const QWidget *p = w ? w->parentWidget() : nullptr; p; p = p->parentWidget()) {
        if (const auto *grid = qobject_cast<const platform::GridCtrl *>(p))
            return grid;
    }
    return nullptr;
}

// The tab bar's own style options, through a pointer to its protected member: no object is
// taken for a type it is not.
struct TabBarAccess : QTabBar
{
    static void InitStyleOption(const QTabBar *bar, QStyleOptionTab *opt, int i)
    {
        (bar->*(&TabBarAccess::initStyleOption))(opt, i);
    }
};

}

bool ScreenTextAudit::SimplifiedOnly(char32_t c)
{
    static std::unordered_map<char32_t, bool> known;
    const auto it = known.find(c);
    if (it != known.end())
        return it->second;
    static const iconv_t gb = ::iconv_open("GB2312", "UTF-8");
    static const iconv_t big5 = ::iconv_open("BIG5", "UTF-8");
    const bool only = IsCjk(c) && Encodes(gb, c) && !Encodes(big5, c);
    known.emplace(c, only);
    return only;
}

bool ScreenTextAudit::WrongCharacter(Language language, char32_t c)
{
    switch (language) {
    case Language::English: return IsCjk(c) || (c >= 0x3000 && c <= 0x303F);
    case Language::Traditional: return SimplifiedOnly(c);
    case Language::Simplified: break;
    }
    return false;
}

void ScreenTextAudit::Report(const QString &where, const QString &what, const QString &text)
{
    const QString line = where + QStringLiteral(": ") + what + QStringLiteral(" \"") + text + QLatin1Char('"');
    if (m_reported.insert(line).second)
        m_findings << line;
}

void ScreenTextAudit::CheckText(const QString &text, const QString &where)
{
    if (text.isEmpty() || (m_isData && m_isData(text)))
        return;
    QString ours = text;
    for (const QString &name : m_dataNames)
        ours.remove(name);
    for (const char32_t c : ours.toUcs4()) {
        if (WrongCharacter(m_language, c)) {
            Report(where, m_language == Language::English ? QStringLiteral("Chinese in English")
                                                          : QStringLiteral("simplified character ")
                                                                + QString::fromUcs4(&c, 1),
                   text);
            return;
        }
    }
}

void ScreenTextAudit::CheckFit(const QWidget *w, const QString &text, int room, const QString &where)
{
    if (text.isEmpty() || (m_isData && m_isData(text)))
        return;
    const int need = WidestLine(w->fontMetrics(), text);
    // One pixel of rounding either way.
    if (need > room + 1)
        Report(where, QStringLiteral("cut (%1 px wide, room %2 px)").arg(need).arg(room), text);
    // A control that sticks out of its parent is cut by it, outside a scrolled area.
    const QWidget *parent = w->parentWidget();
    if (parent && !w->isWindow() && !qobject_cast<const QAbstractScrollArea *>(parent->parentWidget())
        && w->geometry().right() >= parent->width() + 1 && w->geometry().left() < parent->width())
        Report(where, QStringLiteral("cut by its parent (right edge %1 px, parent %2 px)")
                          .arg(w->geometry().right() + 1).arg(parent->width()),
               text);
}

void ScreenTextAudit::Walk(QWidget *root, const QString &where)
{
    if (!root || !root->isVisible())
        return;
    CheckText(root->windowTitle(), where + QStringLiteral(" title"));
    Visit(root, where);
}

void ScreenTextAudit::Visit(QWidget *w, const QString &parentWhere)
{
    if (!w->isVisible())
        return;
    const QString where = parentWhere + QLatin1Char('/') + Name(w);
    CheckText(w->toolTip(), where + QStringLiteral(" tool tip"));
    CheckText(w->statusTip(), where + QStringLiteral(" status tip"));
    // A disc's label is drawn (shrunk to the disc's inside), not a control's text.
    if (auto *disc = dynamic_cast<CKVProcessIndicator *>(w))
        CheckText(disc->GetIndicatorImpl()->GetLabel(), where + QStringLiteral(" disc label"));

    if (auto *label = qobject_cast<QLabel *>(w)) {
        const QString text = label->text();
        const bool rich = label->textFormat() == Qt::RichText
            || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
        QString plain = text;
        if (rich) {
            QTextDocument doc;
            doc.setHtml(text);
            plain = doc.toPlainText();
        }
        CheckText(plain, where);
        if (!rich && !label->wordWrap()) {
            const int room = label->contentsRect().width() - 2 * label->margin() - std::max(0, label->indent());
            CheckFit(label, label->buddy() ? ShownCaption(plain) : plain, room, where);
        } else if (label->wordWrap() && !plain.isEmpty() && !(m_isData && m_isData(plain))) {
            const int need = label->heightForWidth(label->width());
            if (need > label->height() + 1)
                Report(where, QStringLiteral("cut (%1 px high, room %2 px)").arg(need).arg(label->height()), plain);
        }
    } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
        const QString text = ShownCaption(button->text());
        CheckText(text, where);
        QStyleOptionButton opt;
        opt.initFrom(button);
        opt.text = button->text();
        opt.icon = button->icon();
        opt.iconSize = button->iconSize();
        int room = button->contentsRect().width();
        if (qobject_cast<QCheckBox *>(button)) {
            room = button->style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, button).width();
        } else if (qobject_cast<QRadioButton *>(button)) {
            room = button->style()->subElementRect(QStyle::SE_RadioButtonContents, &opt, button).width();
        } else if (auto *tool = qobject_cast<QToolButton *>(button)) {
            if (tool->toolButtonStyle() == Qt::ToolButtonIconOnly && !tool->icon().isNull())
                room = -1;
            else if (tool->toolButtonStyle() == Qt::ToolButtonTextBesideIcon && !tool->icon().isNull())
                room -= tool->iconSize().width() + 4;
        } else if (qobject_cast<QPushButton *>(button)) {
            room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button).width();
            if (!button->icon().isNull())
                room -= button->iconSize().width() + 4;
        }
        if (room >= 0)
            CheckFit(button, text, room, where);
    } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
        const QString title = ShownCaption(group->title());
        CheckText(title, where);
        int room = group->width() - 12;
        if (group->isCheckable())
            room -= group->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, group) + 4;
        CheckFit(group, title, room, where);
    } else if (auto *tabs = qobject_cast<QTabBar *>(w)) {
        for (int i = 0; i < tabs->count(); ++i) {
            const QString text = ShownCaption(tabs->tabText(i));
            const QString at = where + QStringLiteral(" tab ") + QString::number(i);
            CheckText(text, at);
            CheckText(tabs->tabToolTip(i), at + QStringLiteral(" tool tip"));
            if (!tabs->isTabVisible(i))
                continue;
            QStyleOptionTab opt;
            TabBarAccess::InitStyleOption(tabs, &opt, i);
            const QRect textRect = tabs->style()->subElementRect(QStyle::SE_TabBarTabText, &opt, tabs);
            CheckFit(tabs, text, textRect.width(), at);
        }
    } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
        for (int i = 0; i < combo->count(); ++i)
            CheckText(combo->itemText(i), where + QStringLiteral(" entry ") + QString::number(i));
        if (!combo->isEditable() && !combo->currentText().isEmpty()) {
            QStyleOptionComboBox opt;
            opt.initFrom(combo);
            opt.editable = false;
            const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &opt,
                                                               QStyle::SC_ComboBoxEditField, combo);
            int room = field.width();
            if (!combo->itemIcon(combo->currentIndex()).isNull())
                room -= combo->iconSize().width() + 4;
            CheckFit(combo, combo->currentText(), room, where);
        }
    } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        // What an edit box holds is the user's or the drive's; its hint is ours.
        CheckText(edit->placeholderText(), where + QStringLiteral(" hint"));
    } else if (auto *header = qobject_cast<QHeaderView *>(w)) {
        if (const QAbstractItemModel *model = header->model()) {
            const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
            const int count = header->count();
            for (int i = 0; i < count; ++i) {
                const QString text = model->headerData(i, header->orientation(), Qt::DisplayRole).toString();
                const QString at = where + QStringLiteral(" section ") + QString::number(i);
                CheckText(text, at);
                CheckText(model->headerData(i, header->orientation(), Qt::ToolTipRole).toString(),
                          at + QStringLiteral(" tool tip"));
                if (header->isSectionHidden(i) || header->sectionSize(i) <= 0)
                    continue;
                // The program's grids draw their headers themselves: their own rule.
                if (const platform::GridCtrl *grid = OwningGrid(header); grid && header->orientation() == Qt::Horizontal) {
                    const int need = WidestLine(QFontMetrics(grid->GetGridFont()), text);
                    const int room = grid->CaptionRoom(i);
                    if (!text.isEmpty() && need > room + 1)
                        Report(at, QStringLiteral("cut (%1 px wide, room %2 px)").arg(need).arg(room), text);
                    continue;
                }
                int room = (header->orientation() == Qt::Horizontal ? header->sectionSize(i) : header->width())
                    - 2 * margin;
                if (header->isSortIndicatorShown() && header->sortIndicatorSection() == i)
                    room -= header->style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, header) + margin;
                CheckFit(header, text, room, at);
            }
        }
    } else if (auto *view = qobject_cast<QAbstractItemView *>(w)) {
        WalkItems(view, where);
    } else if (auto *tools = qobject_cast<CToolBoxPageEx *>(w)) {
        // The pane's entries are painted: their text starts 24 pixels in and ends 4 before the
        // edge of what the pane shows.
        const QRect shown = tools->visibleRegion().boundingRect();
        for (int i = 0; i < tools->GetToolCount() && !shown.isEmpty(); ++i) {
            const QString text = tools->GetTool(i)->label;
            const QString at = where + QStringLiteral(" entry ") + QString::number(i);
            CheckText(text, at);
            const QRect r = tools->ToolRect(i);
            CheckFit(tools, text, std::min(r.right(), shown.right()) - r.left() - 28, at);
        }
    }
    if (auto *graphics = qobject_cast<QGraphicsView *>(w); graphics && graphics->scene()) {
        for (const QGraphicsItem *item : graphics->scene()->items()) {
            if (!item->isVisible())
                continue;
            if (const auto *shape = dynamic_cast<const DiagramShape *>(item)) {
                for (int i = 0; i < shape->GetTextCount(); ++i) {
                    const DiagramText *t = shape->GetTextData(i);
                    const QString at = where + QStringLiteral(" diagram shape ") + QString::number(shape->GetID());
                    CheckText(t->Text(), at);
                    if (t->Text().isEmpty() || (m_isData && m_isData(t->Text())))
                        continue;
                    const QSizeF need = t->Measure();
                    const QRectF room = shape->GetRect();
                    if (need.width() > room.width() + 1 || need.height() > room.height() + 1)
                        Report(at, QStringLiteral("cut (%1 x %2 px, room %3 x %4 px)")
                                       .arg(need.width()).arg(need.height()).arg(room.width()).arg(room.height()),
                               t->Text());
                }
            } else if (const auto *t = dynamic_cast<const QGraphicsSimpleTextItem *>(item))
                CheckText(t->text(), where + QStringLiteral(" scene text"));
            else if (const auto *proxy = dynamic_cast<const QGraphicsProxyWidget *>(item); proxy && proxy->widget())
                Visit(proxy->widget(), where + QStringLiteral(" scene control"));
            else if (const auto *r = dynamic_cast<const QGraphicsTextItem *>(item))
                CheckText(r->toPlainText(), where + QStringLiteral(" scene text"));
            CheckText(item->toolTip(), where + QStringLiteral(" scene tool tip"));
        }
    }
    for (QObject *child : w->children()) {
        if (auto *cw = qobject_cast<QWidget *>(child); cw && !cw->isWindow())
            Visit(cw, where);
    }
}

void ScreenTextAudit::WalkItems(const QAbstractItemView *view, const QString &where)
{
    const QAbstractItemModel *model = view->model();
    if (!model)
        return;
    // Tables of the program are short; the first rows show every kind of text they hold.
    constexpr int kRows = 200;
    std::function<void(const QModelIndex &, int)> walk = [&](const QModelIndex &parent, int depth) {
        const int rows = std::min(model->rowCount(parent), kRows);
        const int columns = model->columnCount(parent);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                const QModelIndex index = model->index(r, c, parent);
                const QString at = where + QStringLiteral(" cell ") + QString::number(r) + QLatin1Char(',')
                    + QString::number(c);
                CheckText(model->data(index, Qt::DisplayRole).toString(), at);
                CheckText(model->data(index, Qt::ToolTipRole).toString(), at + QStringLiteral(" tool tip"));
                if (c == 0 && depth < 4 && model->hasChildren(index))
                    walk(index, depth + 1);
            }
        }
    };
    walk(view->rootIndex(), 0);
}

void ScreenTextAudit::WalkMenu(const QMenu *menu, const QString &where)
{
    if (!menu)
        return;
    CheckText(menu->title(), where + QStringLiteral(" title"));
    for (const QAction *a : menu->actions()) {
        if (a->isSeparator() || !a->isVisible())
            continue;
        const QString at = where + QStringLiteral(" item");
        CheckText(ShownCaption(a->text()), at);
        if (a->toolTip() != a->text() && a->toolTip() != ShownCaption(a->text()))
            CheckText(a->toolTip(), at + QStringLiteral(" tool tip"));
        if (a->menu())
            WalkMenu(a->menu(), where + QLatin1Char('>') + ShownCaption(a->text()));
    }
}
