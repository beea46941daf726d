#pragma once

// The "Edit Sequence" dialog: the bit string a sequence generator plays, built on a keypad or with
// the keyboard in binary or hexadecimal (each hexadecimal digit four bits, the most significant
// first). One instance exists for the whole program, so the mode stays as last used.

#include <QDialog>
#include <QString>

#include <vector>

class QAbstractButton;
class QLineEdit;
class QRadioButton;

class TEditSequenceDialog : public QDialog {
    Q_OBJECT
public:
    explicit TEditSequenceDialog(QWidget* parent = nullptr);
    ~TEditSequenceDialog() override;
    static TEditSequenceDialog* Instance();

    // The caller's sequence going in, the accepted one (binary) coming out.
    QString SequenceText;
    // Keyboard input arrives through this radio button; it gets the focus back after every key.
    QRadioButton* ActiveRadio;

    QLineEdit* EditSequence;
    QRadioButton* RadioBin;
    QRadioButton* RadioHex;

    // What the display holds.
    QString Text() const;
    bool HexMode() const;

    void FormShow();
    void RadioBinClick();
    void RadioHexClick();
    // Keys of the pad: digits carry 0 to 9, letters 10 to 15.
    void ButtonNumberMouseDown(int value);
    void ButtonAlphaMouseDown(int value);
    void ButtonBackMouseDown();
    void ButtonClearMouseDown();
    // Typed characters and keys, as the focused radio button receives them.
    void RadioBinKeyPress(QChar key);
    void RadioHexKeyPress(QChar key);
    void RadioKeyDown(int key);
    void ButtonOkClick();

    static constexpr int kBinaryLimit = 32;
    static constexpr int kHexLimit = 8;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int Limit() const { return HexMode() ? kHexLimit : kBinaryLimit; }
    void Append(QChar c);
    void Refocus();
};
