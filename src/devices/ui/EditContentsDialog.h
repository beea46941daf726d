#pragma once

// The "Memory Contents" window: the words of one memory device in a grid of addresses and contents,
// in binary or hexadecimal. It is not modal, so the circuit runs while it is open, and then it
// follows the address the memory last used. From it the user edits words, clears the memory and
// loads or saves memory map files. One instance exists for the whole program.

#include <QDialog>
#include <QString>

#include <functional>

class QAction;
class QRadioButton;
class QTableView;
class TContentsModel;
class TMemoryDevice;

class TEditContentsDialog : public QDialog {
    Q_OBJECT
public:
    explicit TEditContentsDialog(QWidget* parent = nullptr);
    ~TEditContentsDialog() override;
    static TEditContentsDialog* Instance();

    // The memory shown, not owned; nil when none. Whoever destroys it calls ReleaseDevice first.
    TMemoryDevice* Memory = nullptr;
    // The text of the word being edited, and whether an edit is open.
    QString EditText;
    bool Editing = false;

    // Takes a memory to show, before the window is shown.
    void ShowMemory(TMemoryDevice* device);
    // Lets go of the memory (and hides the window) when it is the one shown; nil lets go of any.
    void ReleaseDevice(const TMemoryDevice* device);
    // Selects the row of the address the memory last used and shows its word as it is now.
    void RefreshContents();

    // The texts the grid shows: row 0 is the header, row r the word at address r - 1.
    QString CellText(int column, int row) const;
    // The text an edit of the word at row starts from.
    QString EditTextOf(int row) const;
    bool HexMode() const;
    // The grid's current row, the address + 1.
    int CurrentRow() const;
    void SetCurrentRow(int row);

    // Editing, as the grid's editor drives it.
    void BeginEdit(int row);
    void EditTextChanged(const QString& text);
    // Whether a typed character may enter the editor, which holds text (Backspace and Enter always
    // pass; what the key would replace is selected).
    bool KeyAllowed(QChar key, const QString& text, int selected) const;
    // Enter, Up or Down: stores the edited word.
    void CommitEdit();

    // Commands. They report failures to the user and change nothing then.
    void ClearMemoryClick();
    void OpenClick();
    void SaveClick();
    // The same without the file dialog; false when the file could not be used.
    bool OpenMap(const QString& path);
    bool SaveMap(const QString& path);

    // Called after every change of the memory's words made here, with the name of the edit.
    std::function<void(const QString& name)> OnEdited;

    QRadioButton* RadioBinary;
    QRadioButton* RadioHexadecimal;
    QTableView* Grid;
    QAction* MenuClearMemory;
    QAction* MenuOpen;
    QAction* MenuSave;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Edited(const QString& name);
    void RepaintGrid();

    TContentsModel* m_model;
    int m_editRow = 0;
    bool m_placed = false;
};
