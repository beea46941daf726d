#include "shell/AboutBox.h"

#include "drawing/Help.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

const QString TAboutBox::kAboutTopic = QStringLiteral("about.htm");

namespace {

TAboutBox* g_instance = nullptr;
constexpr int kWidth = 400;
constexpr int kHeight = 240;

// The picture: the program's name over a piece of circuit on the canvas's dotted grid.
class TAboutPicture : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient sky(0, 0, 0, height());
        sky.setColorAt(0, QColor(250, 252, 255));
        sky.setColorAt(1, QColor(214, 226, 240));
        p.fillRect(rect(), sky);
        p.setPen(QColor(0, 128, 0));
        for (int x = 10; x < width(); x += 20)
            for (int y = 10; y < height(); y += 20)
                p.drawPoint(x, y);
        p.setPen(QPen(Qt::black, 2));
        p.drawRect(QRect(0, 0, width() - 1, height() - 1));

        // An AND gate driving an LED, one input high, one low.
        const QPointF gate(250, 118);
        QPainterPath body;
        body.moveTo(gate + QPointF(-20, -25));
        body.lineTo(gate + QPointF(5, -25));
        body.arcTo(QRectF(gate + QPointF(-20, -25), QSizeF(50, 50)), 90, -180);
        body.lineTo(gate + QPointF(-20, 25));
        body.closeSubpath();
        p.setBrush(Qt::white);
        p.drawPath(body);
        p.drawLine(gate + QPointF(-60, -12), gate + QPointF(-20, -12));
        p.setPen(QPen(QColor(192, 192, 192), 2));
        p.drawLine(gate + QPointF(-60, 12), gate + QPointF(-20, 12));
        p.drawLine(gate + QPointF(30, 0), gate + QPointF(80, 0));
        p.setPen(QPen(Qt::black, 2));
        p.setBrush(QColor(90, 0, 0));
        p.drawEllipse(gate + QPointF(92, 0), 12, 12);

        QFont title(QStringLiteral("Arial"), 30, QFont::Bold);
        p.setFont(title);
        p.setPen(QColor(20, 40, 90));
        p.drawText(QRect(20, 18, width() - 40, 50), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Tessivar"));
        p.setFont(QFont(QStringLiteral("Arial"), 10));
        p.drawText(QRect(22, 66, width() - 40, 20), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Digital logic editor and simulator"));
    }
};

} // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Tessivar"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(kWidth, kHeight);
    // Only the main window waits for the box, so the help page it opens can be read meanwhile.
    setWindowModality(Qt::WindowModal);

    Image = new TAboutPicture(this);
    Image->setObjectName(QStringLiteral("Image"));
    Image->setGeometry(0, 0, kWidth, kHeight);
    Image->setCursor(Qt::ArrowCursor);

    Version = new QLabel(QStringLiteral("Version " TESSIVAR_VERSION), Image);
    Version->setObjectName(QStringLiteral("Version"));
    Version->setGeometry(22, 180, 200, 18);

    Notice = new QLabel(QStringLiteral("<u>The Tessivar developers: about this program</u>"), Image);
    Notice->setObjectName(QStringLiteral("Notice"));
    Notice->setGeometry(22, 204, 300, 18);
    Notice->setCursor(Qt::PointingHandCursor);

    CloseArea = new QWidget(Image);
    CloseArea->setObjectName(QStringLiteral("CloseArea"));
    CloseArea->setGeometry(kWidth - 28, 4, 24, 24);
    CloseArea->setCursor(Qt::PointingHandCursor);
    CloseArea->setToolTip(QStringLiteral("Close"));

    for (QWidget* clickable :
         {Image, static_cast<QWidget*>(Version), static_cast<QWidget*>(Notice), CloseArea})
        clickable->installEventFilter(this);
    if (!g_instance)
        g_instance = this;
}

TAboutBox::~TAboutBox() {
    if (g_instance == this)
        g_instance = nullptr;
}

TAboutBox* TAboutBox::Instance() {
    return g_instance;
}

void TAboutBox::ImageClick() {
    accept();
}

void TAboutBox::Label4Click() {
    ShowHelpTopic(HelpFilePath(), kHelpWindowName, kAboutTopic);
}

void TAboutBox::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    QDialog::showEvent(event);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Notice)
            Label4Click();
        else
            ImageClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
