// Every picture the program opens by a fixed name is installed and is a picture: a missing one
// leaves a safety prompt or a pane empty without a word.
#include <QFileInfo>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

namespace {

TEST(Pictures, EveryFixedPictureIsInstalledAndReadable)
{
    // The pictures with texts come in each language: the simplified one under the plain name,
    // the traditional and English ones with "_T" and "_E".
    const char *const pictures[] = {
        "AlarmInfoRes/JogTip.png",         // jog safety prompt
        "AlarmInfoRes/JogTip_T.png",
        "AlarmInfoRes/JogTip_E.png",
        "AlarmInfoRes/InertiaTip.png",     // inertia safety prompt
        "AlarmInfoRes/InertiaTip_T.png",
        "AlarmInfoRes/InertiaTip_E.png",
        "AlarmInfoRes/DLGAIDANALYZE.png",  // frequency-response safety prompt
        "AlarmInfoRes/DLGAIDANALYZE_T.png",
        "AlarmInfoRes/DLGAIDANALYZE_E.png",
        "FaultManagementInfoRes/Er0A.1_T.png",  // a fault's cause and remedy
        "FaultManagementInfoRes/Er0A.1_E.png",
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
