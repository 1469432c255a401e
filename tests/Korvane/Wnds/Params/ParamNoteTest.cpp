// The detail pane: its pictures, its value edit committed (not checked per keystroke), its
// options, and its own write through the page.
#include "ParamsFixture.h"

#include "controls/BCGPComboBoxMy.h"

#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

void Png(const QString &path)
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(path, "PNG"));
}

}

TEST(ParamNotePictures, FilesBeginningWithTheCodeElseTheDefault)
{
    QTemporaryDir dir;
    for (const char *name : {"P0608.png", "P06081.png", "p0608.png", "P0609.png", "default.png"})
        Png(dir.filePath(name));
    std::map<int, QString> found = CDlgParamNote::FindPictures(dir.path(), "P0608");
    std::vector<QString> names;
    for (const auto &[n, path] : found)
        names.push_back(QFileInfo(path).fileName());
    EXPECT_EQ(names, (std::vector<QString>{"P0608.png", "P06081.png"}));
    found = CDlgParamNote::FindPictures(dir.path(), "P0203");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(QFileInfo(found.at(1)).fileName(), "default.png");
    QFile::remove(dir.filePath("default.png"));
    EXPECT_TRUE(CDlgParamNote::FindPictures(dir.path(), "P0203").empty());
}

TEST_F(ParamsFixture, NotePagesThroughThreePictures)
{
    const QString folder = CDlgParamNote::PictureFolder();
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char *name : {"P0203a.png", "P0203b.png", "P0203c.png"})
        Png(folder + name);
    CDlgParams &page = Page();
    CDlgParamNote *note = page.Note();
    note->SetParameter(Record("P0203"));
    EXPECT_EQ(note->PictureCount(), 3);
    EXPECT_FALSE(note->PrevButton()->isEnabled());
    EXPECT_TRUE(note->NextButton()->isEnabled());
    note->NextButton()->click();
    note->NextButton()->click();
    EXPECT_EQ(note->PicturePage(), 3);
    EXPECT_TRUE(note->PrevButton()->isEnabled());
    EXPECT_FALSE(note->NextButton()->isEnabled());
    EXPECT_EQ(note->PictureGrid()->GetRowCount(), 1);
    // One picture: no page buttons. NULL keeps the pictures and empties the value.
    note->SetParameter(Record("P0206"));
    EXPECT_FALSE(note->NextButton()->isVisibleTo(note));
    note->SetParameter(nullptr);
    EXPECT_TRUE(note->ValueEdit()->text().isEmpty());
}

// A value is checked when committed: P0204's range starts at 10, so "1" on the way to "15"
// raises nothing.
TEST_F(ParamsFixture, NoteChecksTheValueWhenCommittedNotPerKeystroke)
{
    CDlgParams &page = Page();
    CDlgParamNote *note = page.Note();
    note->SetParameter(Record("P0204"));
    QLineEdit *edit = note->ValueEdit();
    edit->clear();
    QTest::keyClicks(edit, "15");
    EXPECT_TRUE(m_ui->Calls().empty()) << "no alert while typing";
    EXPECT_EQ(Record("P0204")->iCurValue, 400);
    note->OnValueEdited();
    EXPECT_EQ(Record("P0204")->iCurValue, 15);
    EXPECT_EQ(CellText("P0204", "IDS_ParaView_3"), "15");
    BOOL ticked = FALSE;
    page.Grid()->GetRowCheck(&ticked, page.FindRowByCode("P0204"));
    EXPECT_TRUE(ticked);
    edit->setText("5");
    note->OnValueEdited();
    QCoreApplication::processEvents();
    ASSERT_EQ(m_ui->Calls().size(), 1u);
    EXPECT_TRUE(m_ui->Calls()[0].text.startsWith(QString::fromUtf8("设置值超出范围！\n")));
    EXPECT_EQ(edit->text(), "15");
    EXPECT_EQ(Record("P0204")->iCurValue, 15);
}

TEST_F(ParamsFixture, NoteOptionPicksTheValueWithoutStoringIt)
{
    CDlgParams &page = Page();
    CDlgParamNote *note = page.Note();
    CDBDataParameter *mode = Record("P000A");
    note->SetParameter(mode);
    ASSERT_TRUE(note->HasOptions());
    ASSERT_GE(note->Options()->count(), 2);
    note->Options()->setCurrentIndex(2);
    note->OnOptionSelected();
    EXPECT_EQ(note->ValueEdit()->text(), QString::number(mode->m_arrSelects[2].iValue));
    EXPECT_EQ(mode->iCurValue, 0) << "only the write sends it";
    EXPECT_EQ(CellText("P000A", "IDS_ParaView_3"), note->Options()->currentText());
}

TEST_F(ParamsFixture, NoteWriteAndReadGoThroughThePage)
{
    CDlgParams &page = Page();
    CDlgParamNote *note = page.Note();
    note->SetParameter(Record("P0206"));
    note->ValueEdit()->setText("77");
    note->WriteValue();
    ASSERT_TRUE(WaitForResult("写参数结果"));
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x0206, 77}}));
    EXPECT_EQ(Record("P0206")->iCurValue, 100) << "the record changes only when the edit commits";

    m_sim.SetRegister(0x0206, 88);
    note->ReadValue();
    ASSERT_TRUE(WaitForResult("读参数结果"));
    EXPECT_EQ(Record("P0206")->iCurValue, 88);
    EXPECT_EQ(note->ValueEdit()->text(), "88");

    // Out of range: nothing written. Link down: the write does nothing, the read says so.
    m_sim.ClearRequests();
    note->ValueEdit()->setText("99999");
    note->WriteValue();
    EXPECT_TRUE(Writes().empty());
    m_sys->m_bConnected = FALSE;
    m_ui->ClearCalls();
    note->WriteValue();
    EXPECT_TRUE(m_ui->Calls().empty());
    note->ReadValue();
    EXPECT_EQ(Boxes("参数读取"), std::vector<QString>{QString::fromUtf8("请连接串口！")});
}

// The note's value box takes a whole number or nothing: a commit or a write of any other text
// changes no value, shows the value again and sends nothing.
TEST_F(ParamsFixture, NoteRefusesATextThatIsNotAWholeNumber)
{
    CDlgParams &page = Page();
    CDlgParamNote *note = page.Note();
    note->SetParameter(Record("P0206"));
    m_sim.ClearRequests();
    for (const char *text : {"1e3", "1,000", "12.7", "12abc", "abc", "", "-", "+", "0x10"}) {
        SCOPED_TRACE(text);
        note->ValueEdit()->setText(QString::fromUtf8(text));
        note->OnValueEdited();
        EXPECT_EQ(Record("P0206")->iCurValue, 100);
        EXPECT_EQ(note->ValueEdit()->text(), "100");
        note->ValueEdit()->setText(QString::fromUtf8(text));
        note->WriteValue();
        EXPECT_EQ(note->ValueEdit()->text(), "100");
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(page.IsTransferRunning());
    EXPECT_TRUE(m_sim.Requests().empty());
}
