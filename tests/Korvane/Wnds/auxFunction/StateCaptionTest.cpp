// The switches whose caption changes with the state say, in every language, what the next press
// does: the jog page's enable switch and the inertia page's servo switch, against what the press
// then writes to the drive (its request log).
#include "AidFixture.h"

#include "LangText.h"
#include "Wnds/auxFunction/DlgAidInertia.h"
#include "Wnds/auxFunction/DlgAidJogMove.h"
#include "platform/LanguageConf.h"
#include "support/ProgramDirCopy.h"

#include <QPushButton>

namespace {

struct Language
{
    const char *name;
    unsigned number;
};
const Language kLanguages[] = {{"simplified", CLanguageConf::kSimplified},
                               {"traditional", CLanguageConf::kTraditional},
                               {"English", CLanguageConf::kEnglish}};

// One switch: the caption it shows while off (a press switches on) and while on (a press
// switches off), per language in the order above, and the register the press writes.
struct Switch
{
    const char *name;
    int reg;
    std::function<std::unique_ptr<CDialogExMid>()> make;
    std::function<QPushButton *(CDialogExMid *)> button;
    std::function<bool(CDialogExMid *)> workDone;
    const char *whenOff[3];
    const char *whenOn[3];
};

const Switch kSwitches[] = {
    {"jog enable", 0x0807, [] { return std::make_unique<CDlgAidJogMove>(); },
     [](CDialogExMid *p) { return static_cast<CDlgAidJogMove *>(p)->EnableButton(); },
     [](CDialogExMid *p) { return static_cast<CDlgAidJogMove *>(p)->IsDriveWorkDone(); },
     {"使能ON", "使能ON", "Servo On"},
     {"使能OFF", "使能OFF", "Servo Off"}},
    {"inertia servo", 0x080C, [] { return std::make_unique<CDlgAidInertia>(); },
     [](CDialogExMid *p) { return static_cast<CDlgAidInertia *>(p)->ServoButton(); },
     [](CDialogExMid *p) { return static_cast<CDlgAidInertia *>(p)->IsDriveWorkDone(); },
     {"Servo On", "Servo On", "Servo On"},
     {"Servo Off", "Servo Off", "Servo Off"}},
};

class StateCaptionTest : public AidFixture
{
};

TEST_F(StateCaptionTest, EachCaptionNamesWhatItsPressDoes)
{
    const ProgramDirCopy program;
    ASSERT_TRUE(program.IsValid());
    for (const Language &lang : kLanguages) {
        SelectLanguage(lang.number);
        for (const Switch &sw : kSwitches) {
            SCOPED_TRACE(std::string(lang.name) + " " + sw.name);
            auto page = sw.make();
            page->Create(nullptr);
            page->show();
            QPushButton *button = sw.button(page.get());
            // Switched on and off once, so that the caption is the one each state sets.
            for (int round = 0; round < 2; ++round) {
                const bool on = round == 0;
                sim.ClearRequests();
                button->click();
                ASSERT_TRUE(PumpUntil([&] { return !ValuesTo(sw.reg).empty(); })) << "the press wrote nothing";
                PumpUntil([&] { return sw.workDone(page.get()); });
                QCoreApplication::processEvents();
                EXPECT_EQ(ValuesTo(sw.reg).front(), on ? 0x0001 : 0x0041) << "the press did not do what was shown";
                // The caption now names the next press: off after switching on, on after off.
                EXPECT_EQ(button->text(), QString::fromUtf8(on ? sw.whenOn[lang.number] : sw.whenOff[lang.number]));
            }
            page->DestroyWindow();
            PumpUntil([&] { return sw.workDone(page.get()); });
        }
    }
}

}  // namespace
