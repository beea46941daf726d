#pragma once

// The "Edit Text" dialog for annotations: the text, previewed in its own font, its size, style,
// overbar and colour. One instance exists for the whole program and keeps its choices.

#include <QDialog>

#include <cstdint>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QSpinBox;
class TGraphicText;

class TEditTextDialog : public QDialog {
    Q_OBJECT
public:
    explicit TEditTextDialog(QWidget* parent = nullptr);
    ~TEditTextDialog() override;
    static TEditTextDialog* Instance();

    void SetTextColour(uint32_t colour);
    // Fills the controls from a text about to be edited.
    void ShowText(const TGraphicText& text);
    // Gives the text what the controls say, its caption included.
    void ApplyTo(TGraphicText& text) const;
    // A new text as the controls describe it.
    std::unique_ptr<TGraphicText> NewText() const;

    uint32_t TextColour = 0;
    QGroupBox* GroupText;
    QLineEdit* EditCaption;
    QSpinBox* Size; // points, 6 to 26
    QCheckBox* CheckBoxItalic;
    QCheckBox* CheckBoxBold;
    QCheckBox* CheckBoxOverBar;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SizeClick();
    void CheckBoxClick();
    void ButtonSetColorClick();
};
