#include "Progress.h"

#include "platform/QtText.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressBar>
#include <QProgressDialog>
#include <QTimer>

#include <atomic>
#include <exception>
#include <thread>

void RunWithProgress(const std::string& caption, const std::string& label,
                     const std::function<void(const TProgressReport&)>& work) {
    std::atomic<bool> done = false;
    std::atomic<bool> stop = false;
    std::atomic<int> permille = 0;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work([&](double part) {
                permille = static_cast<int>(part * 1000.0);
                return !stop.load();
            });
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
    });

    // Quiet: a short piece of work passes without a bar, the windows drawn and a click meanwhile kept
    // waiting. Shown: the bar and its Cancel button. Stopping: the user cancelled, the work is ending.
    enum class TPhase { Quiet, Shown, Stopping };
    TPhase phase = TPhase::Quiet;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QProgressDialog* dialog = nullptr;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done || (phase == TPhase::Quiet && clock.elapsed() >= ProgressShowMilliseconds))
            loop.quit();
        else if (phase == TPhase::Shown && dialog)
            dialog->setValue(permille);
    });
    poll.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!done) {
        phase = TPhase::Shown;
        QProgressDialog progress(ToQt(label), "&Cancel", 0, 1000, QApplication::activeWindow());
        progress.setObjectName("ProgressDialog");
        progress.setWindowTitle(ToQt(caption));
        if (auto* bar = progress.findChild<QProgressBar*>())
            bar->setAccessibleName(ToQt(label));
        progress.setWindowModality(Qt::ApplicationModal);
        progress.setMinimumDuration(0);
        progress.setAutoClose(false);
        progress.setAutoReset(false);
        progress.setValue(permille);
        QObject::connect(&progress, &QProgressDialog::canceled, &loop, [&] {
            stop = true;
            loop.quit();
        });
        dialog = &progress;
        progress.show();
        loop.exec();
        dialog = nullptr;
    }
    if (!done) {
        phase = TPhase::Stopping;
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    poll.stop();
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}
