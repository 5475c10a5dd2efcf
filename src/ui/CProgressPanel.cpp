#include "ui/CProgressPanel.h"

#include "ui/ProfileSettings.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace korvane {

namespace {
constexpr Qt::WindowFlags kPanelFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                        Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;
}

CProgressPanel::CProgressPanel(QWidget* parent, const QString& panelTitle, bool smooth)
    : QWidget(parent ? parent->window() : QApplication::activeWindow(), kPanelFlags),
      title(panelTitle) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(title);
    setCursor(Qt::BusyCursor);
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));

    statusText = new QLabel(this);
    statusText->setObjectName("11");
    statusText->setTextFormat(Qt::PlainText);
    statusText->setWordWrap(false);
    statusText->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    progressBar = new QProgressBar(this);
    progressBar->setObjectName("12");
    progressBar->setTextVisible(false);
    progressBar->setRange(lowerBound, upperBound);
    progressBar->setValue(0);
    Q_UNUSED(smooth); // Qt's bar is always drawn smoothly

    cancelButton = new QPushButton(cancelLabel, this);
    cancelButton->setObjectName("10");
    cancelButton->setFocusPolicy(Qt::NoFocus);
    cancelButton->setAutoDefault(false);
    connect(cancelButton, &QPushButton::clicked, this, &CProgressPanel::OnCancelButton);

    LayoutControls(lineCount, kTextWidth);
    RestorePosition();
    ShowPanel();
}

CProgressPanel::~CProgressPanel() {
    qApp->removeEventFilter(this);
    SavePosition();
}

void CProgressPanel::LayoutControls(int lines, int width) {
    const QFontMetrics metrics(font());
    const int edgeY = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const int edgeX = edgeY;
    // Room for `lines` lines of text, without wrapping.
    const QRect text(10, 10, width, std::max(1, lines) * metrics.lineSpacing());
    const QSize label = metrics.size(0, cancelLabel + "  ");
    const int buttonWidth = std::max(label.width() + 4 * edgeX, cancelButton->sizeHint().width());
    const int buttonHeight =
        std::max(label.height() + 3 * edgeY, cancelButton->sizeHint().height());
    const QRect button(text.right() + 1 - buttonWidth, text.bottom() + 1 + 10, buttonWidth,
                       buttonHeight);
    const QRect bar(text.left(), button.top() + edgeY, button.left() - 10 - text.left(),
                    buttonHeight - 2 * edgeY);
    setFixedSize(text.width() + 20, text.height() + buttonHeight + 30);
    progressBar->setGeometry(bar);
    cancelButton->setGeometry(button);
    statusText->setGeometry(text);
}

void CProgressPanel::RestorePosition() {
    const auto settings = ProfileSettings::Open();
    const int x = settings->value("Settings/X", -1).toInt();
    const int y = settings->value("Settings/Y", -1).toInt();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 640, 480);
    if (x >= 0 && x < area.width() && y >= 0 && y < area.height()) {
        move(x, y);
        return;
    }
    const QWidget* owner = parentWidget();
    const QRect over = owner && owner->isVisible() ? owner->frameGeometry() : area;
    move(over.center() - QPoint(width() / 2, height() / 2));
}

void CProgressPanel::SavePosition() {
    const auto settings = ProfileSettings::Open();
    settings->setValue("Settings/X", pos().x());
    settings->setValue("Settings/Y", pos().y());
}

void CProgressPanel::SetRange(int lower, int upper, int stepSize) {
    lowerBound = lower;
    upperBound = upper;
    step = stepSize;
    // An empty range shows an empty bar (Qt would animate a busy indicator instead).
    if (upper > lower)
        progressBar->setRange(lower, upper);
    else
        progressBar->setRange(0, 1);
    progressBar->setValue(std::clamp(barPosition, progressBar->minimum(), progressBar->maximum()));
}

int CProgressPanel::SetPos(int newPosition) {
    ShowPanel();
    position = newPosition;
    int percent = 0;
    if (upperBound > lowerBound) // integer division truncates toward zero, as wanted
        percent = static_cast<int>((static_cast<int64_t>(newPosition) - lowerBound) * 100 /
                                   (static_cast<int64_t>(upperBound) - lowerBound));
    if (percent != lastPercent) {
        lastPercent = percent;
        setWindowTitle(QString("%1 [%2%]").arg(title).arg(percent));
    }
    const int previous = barPosition;
    barPosition = std::clamp(newPosition, progressBar->minimum(), progressBar->maximum());
    progressBar->setValue(barPosition);
    return previous;
}

int CProgressPanel::StepIt() {
    ShowPanel();
    return SetPos(position + step);
}

void CProgressPanel::SetStatusText(const std::string& text) {
    statusText->setText(QString::fromStdString(text));
}

QString CProgressPanel::StatusText() const {
    return statusText->text();
}

bool CProgressPanel::Checkpoint() {
    StepIt();
    PumpMessages(true);
    return IsCancelled();
}

void CProgressPanel::PumpMessages(bool cancelOnEscape) {
    if (cancelled)
        return;
    const bool outer = escapeCancels;
    const bool install = cancelOnEscape && !outer;
    if (install)
        qApp->installEventFilter(this);
    escapeCancels = outer || cancelOnEscape;
    // Events posted while these are handled wait for the next pump or the main loop, so the
    // pump never blocks and never spins.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    escapeCancels = outer;
    if (install)
        qApp->removeEventFilter(this);
}

bool CProgressPanel::eventFilter(QObject* watched, QEvent* event) {
    if (escapeCancels && !cancelled && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        OnCancelButton(); // the key goes on to its receiver as usual
    return QWidget::eventFilter(watched, event);
}

void CProgressPanel::OnCancelButton() {
    cancelled = 1;
    HidePanel();
    if (QWidget* main = parentWidget() ? parentWidget()->window() : nullptr) {
        main->raise();
        main->activateWindow();
    }
}

void CProgressPanel::ShowPanel() {
    if (!isVisible())
        show();
}

void CProgressPanel::HidePanel() {
    if (isVisible())
        hide();
}

} // namespace korvane
