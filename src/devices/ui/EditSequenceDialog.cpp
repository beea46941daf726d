#include "devices/ui/EditSequenceDialog.h"

#include "drawing/GraphicObject.h"
#include "drawing/Utils.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

namespace {

TEditSequenceDialog* g_instance = nullptr;

constexpr uint32_t kDigitColour = 0xA00000;   // navy
constexpr uint32_t kLetterOutline = 0x008000; // green
constexpr uint32_t kLetterLabel = 0x408000;   // dark green
constexpr uint32_t kCommandColour = 0x0000FF; // red: "Clear" and "Back"

// A rounded key of the pad. It acts when the mouse goes down, not when it comes up.
class TKeypadKey : public QAbstractButton {
public:
    TKeypadKey(const QString& label, uint32_t outline, uint32_t text, QWidget* parent)
        : QAbstractButton(parent), m_outline(ColourToQColor(outline)), m_text(ColourToQColor(text)) {
        setText(label);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect()).adjusted(1, 1, -1, -1);
        painter.setPen(QPen(m_outline, isDown() ? 2.5 : 1.5));
        painter.setBrush(isDown() ? palette().mid() : palette().button());
        painter.drawRoundedRect(box, 5, 5);
        painter.setPen(m_text);
        QFont font = this->font();
        font.setBold(true);
        painter.setFont(font);
        painter.drawText(rect().translated(isDown() ? 1 : 0, isDown() ? 1 : 0), Qt::AlignCenter, text());
    }

private:
    QColor m_outline;
    QColor m_text;
};

} // namespace

TEditSequenceDialog::TEditSequenceDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("EditSequenceDialog"));
    setWindowTitle(QStringLiteral("Edit Sequence"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(226, 262);

    EditSequence = new QLineEdit(this);
    EditSequence->setObjectName(QStringLiteral("EditSequence"));
    EditSequence->setReadOnly(true);
    EditSequence->setEnabled(false);
    EditSequence->setGeometry(8, 8, 210, 22);
    QFont mono(QStringLiteral("Courier New"), 9);
    mono.setStyleHint(QFont::Monospace);
    EditSequence->setFont(mono);

    RadioBin = new QRadioButton(QStringLiteral("Bin"), this);
    RadioBin->setObjectName(QStringLiteral("RadioBin"));
    RadioBin->setGeometry(16, 36, 60, 20);
    RadioHex = new QRadioButton(QStringLiteral("Hex"), this);
    RadioHex->setObjectName(QStringLiteral("RadioHex"));
    RadioHex->setGeometry(88, 36, 60, 20);
    RadioHex->setChecked(true);
    ActiveRadio = RadioHex;
    for (QRadioButton* radio : {RadioBin, RadioHex})
        radio->installEventFilter(this);
    connect(RadioBin, &QRadioButton::clicked, this, &TEditSequenceDialog::RadioBinClick);
    connect(RadioHex, &QRadioButton::clicked, this, &TEditSequenceDialog::RadioHexClick);

    auto* pad = new QGroupBox(this);
    pad->setObjectName(QStringLiteral("Keypad"));
    pad->setGeometry(8, 60, 210, 150);
    const int columns[] = {8, 40, 72, 104, 136, 168};
    const int rows[] = {16, 48, 80, 112};
    auto addKey = [pad](const QString& label, uint32_t outline, uint32_t text, QRect at) {
        auto* key = new TKeypadKey(label, outline, text, pad);
        key->setObjectName(QStringLiteral("Key") + label);
        key->setGeometry(at);
        return key;
    };
    const int digitRows[10] = {3, 2, 2, 2, 1, 1, 1, 0, 0, 0};
    const int digitColumns[10] = {0, 0, 1, 2, 0, 1, 2, 0, 1, 2};
    for (int v = 0; v <= 9; ++v) {
        QAbstractButton* key = addKey(QString::number(v), kDigitColour, kDigitColour,
                                      QRect(columns[digitColumns[v]], rows[digitRows[v]], 25, 25));
        connect(key, &QAbstractButton::pressed, this, [this, v] { ButtonNumberMouseDown(v); });
    }
    for (int v = 10; v <= 15; ++v) {
        const int index = v - 10;
        QAbstractButton* key = addKey(QString(QChar(v + 55)), kLetterOutline, kLetterLabel,
                                      QRect(columns[3 + index % 3], rows[index / 3], 25, 25));
        connect(key, &QAbstractButton::pressed, this, [this, v] { ButtonAlphaMouseDown(v); });
    }
    // The command keys are wider than the others so that their words fit.
    QAbstractButton* clear =
        addKey(QStringLiteral("Clear"), kCommandColour, kCommandColour, QRect(columns[1], rows[3], 57, 25));
    connect(clear, &QAbstractButton::pressed, this, &TEditSequenceDialog::ButtonClearMouseDown);
    QAbstractButton* back =
        addKey(QStringLiteral("Back"), kCommandColour, kCommandColour, QRect(152, rows[3], 41, 25));
    connect(back, &QAbstractButton::pressed, this, &TEditSequenceDialog::ButtonBackMouseDown);

    auto* ok = new QPushButton(QStringLiteral("&Ok"), this);
    ok->setObjectName(QStringLiteral("ButtonOk"));
    ok->setDefault(true);
    ok->setGeometry(28, 224, 75, 25);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("ButtonCancel"));
    cancel->setGeometry(122, 224, 75, 25);
    connect(ok, &QPushButton::clicked, this, &TEditSequenceDialog::ButtonOkClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    if (!g_instance)
        g_instance = this;
}

TEditSequenceDialog::~TEditSequenceDialog() {
    if (g_instance == this)
        g_instance = nullptr;
}

TEditSequenceDialog* TEditSequenceDialog::Instance() {
    return g_instance;
}

QString TEditSequenceDialog::Text() const {
    return EditSequence->text();
}

bool TEditSequenceDialog::HexMode() const {
    return RadioHex->isChecked();
}

void TEditSequenceDialog::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TEditSequenceDialog::FormShow() {
    // The display holds whatever it is given: a limit on the box itself would cut a longer stored
    // sequence, and accepting it unchanged would then lose bits. Only typing is limited.
    if (HexMode()) {
        ActiveRadio = RadioHex;
        EditSequence->setText(BinToHex(SequenceText));
    } else {
        ActiveRadio = RadioBin;
        EditSequence->setText(SequenceText);
    }
    Refocus();
}

void TEditSequenceDialog::RadioHexClick() {
    RadioHex->setChecked(true);
    ActiveRadio = RadioHex;
    EditSequence->setText(BinToHex(Text()));
}

void TEditSequenceDialog::RadioBinClick() {
    RadioBin->setChecked(true);
    EditSequence->setText(HexToBin(Text()));
    ActiveRadio = RadioBin;
}

void TEditSequenceDialog::Append(QChar c) {
    if (Text().size() < Limit())
        EditSequence->setText(Text() + c);
}

void TEditSequenceDialog::Refocus() {
    ActiveRadio->setFocus();
}

void TEditSequenceDialog::ButtonNumberMouseDown(int value) {
    if (!HexMode()) {
        if (value == 0 || value == 1)
            Append(QChar('0' + value));
    } else if (value >= 0 && value <= 9) {
        Append(QChar('0' + value));
    }
    Refocus();
}

void TEditSequenceDialog::ButtonAlphaMouseDown(int value) {
    if (HexMode() && value >= 10 && value <= 15)
        Append(QChar(value + 55));
    Refocus();
}

void TEditSequenceDialog::ButtonBackMouseDown() {
    QString text = Text();
    text.chop(1);
    EditSequence->setText(text);
    Refocus();
}

void TEditSequenceDialog::ButtonClearMouseDown() {
    EditSequence->clear();
    Refocus();
}

void TEditSequenceDialog::RadioBinKeyPress(QChar key) {
    if (key == QLatin1Char('0') || key == QLatin1Char('1'))
        ButtonNumberMouseDown(key.digitValue());
}

void TEditSequenceDialog::RadioHexKeyPress(QChar key) {
    if (key >= QLatin1Char('0') && key <= QLatin1Char('9'))
        ButtonNumberMouseDown(key.digitValue());
    else if (key >= QLatin1Char('a') && key <= QLatin1Char('f'))
        ButtonAlphaMouseDown(key.unicode() - 'a' + 10);
}

void TEditSequenceDialog::RadioKeyDown(int key) {
    if (key == Qt::Key_Backspace)
        ButtonBackMouseDown();
    else if (key == Qt::Key_Delete)
        ButtonClearMouseDown();
}

bool TEditSequenceDialog::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == RadioBin || watched == RadioHex) && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete) {
            RadioKeyDown(key->key());
            return true;
        }
        const QString text = key->text();
        if (text.size() == 1 && text[0].isPrint()) {
            if (HexMode())
                RadioHexKeyPress(text[0]);
            else
                RadioBinKeyPress(text[0]);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TEditSequenceDialog::ButtonOkClick() {
    SequenceText = HexMode() ? HexToBin(Text()) : Text();
    accept();
}
