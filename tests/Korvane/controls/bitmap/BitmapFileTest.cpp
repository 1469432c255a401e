#include "controls/BitmapFile.h"

#include "platform/UiServices.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>

namespace {

std::uint32_t Dword(const QByteArray &b, int at)
{
    std::uint32_t v = 0;
    std::memcpy(&v, b.constData() + at, 4);
    return v;
}

std::uint16_t Word(const QByteArray &b, int at)
{
    std::uint16_t v = 0;
    std::memcpy(&v, b.constData() + at, 2);
    return v;
}

class BitmapFile : public ::testing::Test
{
protected:
    std::shared_ptr<platform::ScriptedUiServices> ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices scoped{ui};
    QTemporaryDir dir;

    QString Save(const QImage &img, const QString &name)
    {
        const QString path = dir.filePath(name);
        auto info = BuildBitmapInfo(img, nullptr);
        EXPECT_NE(info, nullptr);
        if (info)
            SaveBitmapToBmpFile(path, nullptr, info.get(), img);
        return path;
    }

    static QByteArray Read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

}

TEST(BitmapDepth, RoundsUpToAFileDepth)
{
    const int cases[][2] = {{0, 1}, {1, 1}, {2, 4}, {4, 4}, {5, 8}, {8, 8}, {15, 16}, {16, 16}, {24, 24}, {32, 32}, {64, 32}};
    for (const auto &c : cases)
        EXPECT_EQ(RoundBitCount(c[0]), c[1]) << c[0];
}

TEST_F(BitmapFile, ScreenPictureOf640x480WritesHeadersAndFourBytesAPixel)
{
    QImage img(640, 480, QImage::Format_RGB32);
    img.fill(QColor(10, 20, 30));
    img.setPixelColor(0, 0, QColor(255, 0, 0));      // top-left
    img.setPixelColor(639, 479, QColor(0, 0, 255));  // bottom-right
    const QByteArray b = Read(Save(img, "screen.bmp"));
    ASSERT_EQ(b.size(), 54 + 1228800);
    EXPECT_EQ(b.left(2), QByteArray("BM"));
    EXPECT_EQ(Dword(b, 2), 54u + 1228800u);
    EXPECT_EQ(Dword(b, 6), 0u);
    EXPECT_EQ(Dword(b, 10), 54u);
    EXPECT_EQ(Dword(b, 14), 40u);
    EXPECT_EQ(Dword(b, 18), 640u);
    EXPECT_EQ(Dword(b, 22), 480u);
    EXPECT_EQ(Word(b, 26), 1u);
    EXPECT_EQ(Word(b, 28), 32u);
    EXPECT_EQ(Dword(b, 30), 0u);
    EXPECT_EQ(Dword(b, 34), 1228800u);
    EXPECT_EQ(Dword(b, 46), 0u);
    // Rows go from the bottom up: the first pixel stored is the bottom-left one.
    EXPECT_EQ(static_cast<unsigned char>(b[54]), 30);
    EXPECT_EQ(static_cast<unsigned char>(b[55]), 20);
    EXPECT_EQ(static_cast<unsigned char>(b[56]), 10);

    QImage back(dir.filePath("screen.bmp"));
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.size(), QSize(640, 480));
    EXPECT_EQ(back.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(back.pixelColor(639, 479), QColor(0, 0, 255));
    EXPECT_EQ(back.pixelColor(320, 240), QColor(10, 20, 30));
    EXPECT_TRUE(ui->Calls().empty());
}

TEST_F(BitmapFile, OtherDepthsPadRowsAndCarryTheirColourTables)
{
    struct Case
    {
        const char *what;
        QImage::Format format;
        int width, height;
        std::uint32_t bits, colours, imageSize;
    } const cases[] = {
        {"24 bits, width 3: rows of 12 bytes", QImage::Format_RGB888, 3, 2, 24, 0, 24},
        {"16 bits: a table of 65,536 entries", QImage::Format_RGB16, 5, 3, 16, 65536, 36},
        {"8 bits", QImage::Format_Indexed8, 5, 2, 8, 256, 16},
        {"1 bit", QImage::Format_Mono, 9, 2, 1, 2, 8},
    };
    for (const Case &c : cases) {
        QImage img(c.width, c.height, c.format);
        if (c.format == QImage::Format_Indexed8 || c.format == QImage::Format_Mono) {
            img.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
            img.fill(0);
            img.setPixel(1, 0, 1);
        } else {
            img.fill(Qt::black);
            img.setPixelColor(1, 0, Qt::white);
        }
        const QString name = QString::fromLatin1(c.what).left(8).simplified().replace(' ', '_') + ".bmp";
        const QByteArray b = Read(Save(img, name));
        const std::uint32_t offset = 54 + 4 * c.colours;
        ASSERT_EQ(static_cast<std::uint32_t>(b.size()), offset + c.imageSize) << c.what;
        EXPECT_EQ(Dword(b, 2), offset + c.imageSize) << c.what;
        EXPECT_EQ(Dword(b, 10), offset) << c.what;
        EXPECT_EQ(Word(b, 28), c.bits) << c.what;
        EXPECT_EQ(Dword(b, 34), c.imageSize) << c.what;
        EXPECT_EQ(Dword(b, 46), c.colours) << c.what;
        QImage back(dir.filePath(name));
        ASSERT_FALSE(back.isNull()) << c.what;
        EXPECT_EQ(back.size(), QSize(c.width, c.height)) << c.what;
        EXPECT_GE(qGray(back.pixel(1, 0)), 0xF8) << c.what;  // 16 bits keep five bits a colour
        EXPECT_EQ(back.pixelColor(0, 0), QColor(Qt::black)) << c.what;
    }
    EXPECT_TRUE(ui->Calls().empty());
}

TEST_F(BitmapFile, SavingOverAFileReplacesIt)
{
    const QString path = dir.filePath("over.bmp");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(500000, 'x'));
    }
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(Qt::green);
    Save(img, "over.bmp");
    EXPECT_EQ(QFile(path).size(), 54 + 64);
    EXPECT_EQ(QImage(path).pixelColor(2, 2), QColor(Qt::green));
}

TEST_F(BitmapFile, FailuresAreToldInAStopBoxAndLeaveNoPartialFile)
{
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(Qt::green);

    // No picture: no header.
    EXPECT_EQ(BuildBitmapInfo(QImage(), nullptr), nullptr);
    // A folder that is not there.
    auto info = BuildBitmapInfo(img, nullptr);
    SaveBitmapToBmpFile(dir.filePath("missing/x.bmp"), nullptr, info.get(), img);
    // A header that does not describe the picture: the old file stays as it was.
    const QString kept = dir.filePath("kept.bmp");
    {
        QFile f(kept);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    QImage other(8, 8, QImage::Format_RGB32);
    SaveBitmapToBmpFile(kept, nullptr, info.get(), other);

    const auto calls = ui->Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].text, QStringLiteral("Unable to retrieve colour format, width and height of bitmap"));
    EXPECT_EQ(calls[1].text, QStringLiteral("Unable to open the file when saving bitmap"));
    EXPECT_EQ(calls[2].text, QStringLiteral("Unable to retrieve colour table when saving bitmap"));
    for (const auto &c : calls) {
        EXPECT_TRUE(c.caption.isEmpty());
        EXPECT_EQ(c.type & MB_ICONMASK, MB_ICONHAND);
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("missing/x.bmp")));
    EXPECT_EQ(Read(kept), QByteArray("old"));
}
