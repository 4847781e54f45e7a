#include "app/shell/DatabaseWork.h"

#include <exception>
#include <thread>

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPoint>
#include <QPointer>
#include <QProgressDialog>
#include <QRect>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include "app/shell/StringTable.h"
#include "engine/database/DBaser.h"

namespace {

// Holds back a close of the window while the work runs and closes it once the work is done.
class CloseHold final : public QObject {
public:
    explicit CloseHold(QWidget* window)
        : m_window(window)
    {
        if (m_window)
            m_window->installEventFilter(this);
    }
    ~CloseHold() override
    {
        if (!m_window)
            return;
        m_window->removeEventFilter(this);
        if (m_closeAsked)
            QMetaObject::invokeMethod(m_window, &QWidget::close, Qt::QueuedConnection);
    }
    CloseHold(const CloseHold&) = delete;
    CloseHold& operator=(const CloseHold&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Close) {
            m_closeAsked = true;
            event->ignore();
            return true;
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
    bool m_closeAsked = false;
};

// Over the window; while the window is not shown yet (at start-up) in the lower part of the
// screen, below the splash screen in its middle.
void showOver(QProgressDialog& dialog, const QWidget* window)
{
    if (!window || !window->isVisible()) {
        const QScreen* screen = window ? window->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            dialog.adjustSize();
            const QRect area = screen->availableGeometry();
            QRect frame = dialog.frameGeometry();
            frame.moveCenter(QPoint(area.center().x(), area.top() + area.height() * 3 / 4));
            dialog.move(frame.topLeft());
        }
    }
    dialog.show();
    dialog.raise();
}

} // namespace

void DatabaseWork::run(QWidget* window, zentrel::DBaser& db, const std::function<void()>& work)
{
    QProgressDialog dialog(window);
    dialog.setWindowTitle(StringTable::text(110));
    dialog.setLabelText(QStringLiteral("Working on the databases..."));
    dialog.setCancelButton(nullptr);
    dialog.setRange(0, 0);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    QTimer::singleShot(kShowAfterMs, &dialog, [&dialog, window] { showOver(dialog, window); });
    const auto steps = QObject::connect(&db, &zentrel::DBaser::WorkStep, &dialog,
                                        &QProgressDialog::setLabelText, Qt::QueuedConnection);
    const CloseHold hold(window);

    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    QObject::disconnect(steps);
    dialog.hide();
    if (failure)
        std::rethrow_exception(failure);
}

void DatabaseWork::takeOver(QWidget* window, zentrel::DBaser& db)
{
    const QPointer<QWidget> over(window);
    db.setWorkRunner(
        [over, &db](const std::function<void()>& work) { run(over.data(), db, work); });
}
