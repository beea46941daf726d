#include "GuiFixture.h"
#include "TestSupport.h"

#include "devices/MemoryDevice.h"
#include "devices/ui/EditContentsDialog.h"
#include "devices/ui/EditSequenceDialog.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Keys as a user types them: every key reaches the dialog through its active radio button.
void Type(TEditSequenceDialog& dialog, const char* keys) {
    QTest::keyClicks(dialog.ActiveRadio, QString::fromLatin1(keys));
}

TEST(EditSequenceDialog, EntryRefusesWhatIsNotADigitOfTheMode) {
    TEditSequenceDialog dialog;
    dialog.SequenceText.clear();
    dialog.FormShow();
    EXPECT_TRUE(dialog.HexMode()) << "hexadecimal at first";
    EXPECT_EQ(dialog.Text(), "");
    Type(dialog, "a9Fg2b");
    EXPECT_EQ(dialog.Text(), "A92B") << "upper-case letters and other characters are ignored";
    Type(dialog, "123456");
    EXPECT_EQ(dialog.Text(), "A92B1234") << "the ninth digit is ignored";
    QTest::keyClick(dialog.ActiveRadio, Qt::Key_Backspace);
    EXPECT_EQ(dialog.Text(), "A92B123");
    QTest::keyClick(dialog.ActiveRadio, Qt::Key_Delete);
    EXPECT_EQ(dialog.Text(), "");
    QTest::keyClick(dialog.ActiveRadio, Qt::Key_Backspace);
    EXPECT_EQ(dialog.Text(), "");

    dialog.RadioBinClick();
    EXPECT_EQ(dialog.ActiveRadio, dialog.RadioBin);
    dialog.ButtonNumberMouseDown(2);
    dialog.ButtonAlphaMouseDown(10);
    Type(dialog, "11a2");
    EXPECT_EQ(dialog.Text(), "11");
    dialog.RadioHexClick();
    EXPECT_EQ(dialog.Text(), "3");
    dialog.RadioBinClick();
    EXPECT_EQ(dialog.Text(), "0011");
    Type(dialog, "1111111111111111111111111111111111");
    EXPECT_EQ(dialog.Text().size(), 32) << "the 33rd binary digit is ignored";
    dialog.ButtonOkClick();
    EXPECT_EQ(dialog.SequenceText, "0011" + QString(28, QLatin1Char('1')));

    // The single instance keeps its mode; a sequence longer than the box allows to type is kept
    // whole when it is accepted unchanged.
    const QString stored = QString(40, QLatin1Char('1')) + QStringLiteral("0");
    dialog.SequenceText = stored;
    dialog.FormShow();
    EXPECT_FALSE(dialog.HexMode());
    dialog.ButtonOkClick();
    EXPECT_EQ(dialog.SequenceText, stored);
    // Through hexadecimal, 101 becomes 0101; an empty sequence stays empty.
    dialog.SequenceText = QStringLiteral("101");
    dialog.RadioHexClick();
    dialog.FormShow();
    EXPECT_EQ(dialog.Text(), "5");
    dialog.ButtonOkClick();
    EXPECT_EQ(dialog.SequenceText, "0101");
    dialog.SequenceText.clear();
    dialog.FormShow();
    dialog.ButtonOkClick();
    EXPECT_EQ(dialog.SequenceText, "");
}

// The contents window on a memory of its own, driven through its grid and menus.
class EditContentsDialogTest : public TGuiTest {
protected:
    void SetUp() override {
        TGuiTest::SetUp();
        FileAnswer = Path("memory.map");
        dialog.OnEdited = [this](const QString& name) { edits << name; };
    }
    void Show(TMemoryDevice& memory) {
        dialog.ShowMemory(&memory);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    // Opens the editor of a word with a double click and answers it.
    QLineEdit* Edit(int address) {
        QTableView* grid = dialog.Grid;
        const QRect cell = grid->visualRect(grid->model()->index(address, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        return grid->viewport()->findChild<QLineEdit*>(QStringLiteral("WordEditor"));
    }
    void WriteFile(const QByteArray& bytes) { testsupport::WriteFile(FileAnswer, bytes); }

    TEditContentsDialog dialog;
    QStringList edits;
};

TEST_F(EditContentsDialogTest, WordsAreEditedOnlyThroughEnterUpOrDown) {
    TMemoryDevice memory;
    memory.Configure(true, 4, 16);
    Show(memory);
    ASSERT_TRUE(dialog.RadioHexadecimal->isEnabled());
    dialog.RadioHexadecimal->setChecked(true);
    EXPECT_EQ(dialog.CellText(0, 16), "$000F");
    EXPECT_EQ(dialog.CellText(1, 1), "0000");

    QLineEdit* editor = Edit(2);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "0000");
    QTest::keyClicks(editor, "12345");
    EXPECT_EQ(editor->text(), "1234") << "typing replaces the word; a fifth digit is ignored";
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClicks(editor, "zaG");
    EXPECT_EQ(editor->text(), "123a");
    QTest::keyClick(editor, Qt::Key_Down);
    EXPECT_EQ(memory.GetWord(2), 0x123Au);
    EXPECT_EQ(dialog.CurrentRow(), 4) << "the selection moves after the word was stored";
    EXPECT_EQ(edits, QStringList{"Edit Memory"});

    // Left with the mouse, the edit is lost.
    editor = Edit(5);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "f");
    const QRect other = dialog.Grid->visualRect(dialog.Grid->model()->index(7, 1));
    QTest::mouseClick(dialog.Grid->viewport(), Qt::LeftButton, {}, other.center());
    EXPECT_EQ(memory.GetWord(5), 0u);
    EXPECT_FALSE(dialog.Editing);

    // Two data lines can be shown in binary only.
    TMemoryDevice narrow;
    narrow.Configure(false, 4, 2);
    Show(narrow);
    EXPECT_TRUE(dialog.RadioBinary->isChecked());
    EXPECT_FALSE(dialog.RadioHexadecimal->isEnabled());
    EXPECT_EQ(dialog.CellText(1, 1), "00");
}

TEST_F(EditContentsDialogTest, MapFilesRoundTripAndBadOnesChangeNothing) {
    TMemoryDevice memory;
    memory.SetWord(1, 0xBEEF);
    Show(memory);
    dialog.MenuSave->trigger();
    const QByteArray bytes = testsupport::ReadFile(FileAnswer);
    EXPECT_EQ(bytes.size(), 8 + 4 * 256);
    EXPECT_EQ(bytes.left(8), testsupport::Bytes({0xCD, 0xAB, 0, 0, 0, 1, 0, 0}));

    WriteFile(testsupport::Bytes({0xCD, 0xAB, 0, 0, 2, 0, 0, 0, 0x70, 0x11, 0x01, 0, 5, 0, 0, 0}));
    dialog.MenuOpen->trigger();
    EXPECT_EQ(memory.GetWord(0), 4464u) << "70000 keeps its low 16 bits";
    EXPECT_EQ(memory.GetWord(1), 5u);
    EXPECT_EQ(memory.GetWord(2), 0u);
    EXPECT_EQ(edits, QStringList{"Load Memory Map"});

    const std::vector<uint16_t> before = memory.Words;
    WriteFile(testsupport::Bytes({0xCD, 0xAB, 0, 0, 3, 0, 0, 0, 9, 0, 0, 0, 9, 0, 0}));
    dialog.MenuOpen->trigger();
    WriteFile(testsupport::Bytes({'T', 'V', 'M', 0}));
    dialog.MenuOpen->trigger();
    EXPECT_EQ(memory.Words, before);
    EXPECT_EQ(messages, QStringList({"Read beyond end of file", "This is not a valid Memory Map file."}));

    messages.clear();
    dialog.MenuClearMemory->trigger();
    EXPECT_EQ(messages, QStringList{"Clear all memory contents?"});
    EXPECT_EQ(memory.GetWord(1), 0u);
}

} // namespace
