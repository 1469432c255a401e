// Every picture the program opens by a fixed name is installed and is a picture: a missing one
// leaves a safety prompt or a pane empty without a word.
#include <QFileInfo>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

namespace {

TEST(Pictures, EveryFixedPictureIsInstalledAndReadable)
{
    const char *const pictures[] = {
        "AlarmInfoRes/JogTip.png",         // jog safety prompt
        "AlarmInfoRes/InertiaTip.png",     // inertia safety prompt
        "AlarmInfoRes/DLGAIDANALYZE.png",  // frequency-response safety prompt
        "ParamInfoRes/default.png",        // detail pane, a parameter without its own picture
    };
    for (const char *name : pictures) {
        const QString path = QStringLiteral(KORVANE_COMMONRES_DIR "/") + QString::fromLatin1(name);
        EXPECT_TRUE(QFileInfo(path).isFile()) << name;
        const QImage image(path);
        EXPECT_FALSE(image.isNull()) << name;
        // The safety prompt's frame is laid out for pictures of this size.
        if (QString::fromLatin1(name).startsWith(QStringLiteral("AlarmInfoRes/"))) {
            EXPECT_EQ(image.size(), QSize(520, 300)) << name;
        }
    }
}

}
