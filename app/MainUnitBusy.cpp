// What the user sees while the tool waits for the device: the windows keep painting, the cursor
// shows busy, the status bar names the block and the step, and a failure box tells why the
// exchange failed.

#include "app/MainUnit.h"

#include "app/lang/LangUnit.h"
#include "platform/ui/Controls.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace {

// Holds back everything a user could start something with while a device operation runs:
// the operation's state (adapter, service mode, payloads) must not be re-entered.
class TInputBlocker : public QObject {
public:
    bool eventFilter(QObject*, QEvent* Event) override {
        switch (Event->type()) {
        case QEvent::Close:
            Event->ignore(); // the window stays until the operation has ended
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        default:
            return false;
        }
    }
};

} // namespace

void TMainForm::ProcessPaintMessages() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    TInputBlocker blocker;
    app->installEventFilter(&blocker);
    // Input from the window system stays queued until the operation is over, as it would on
    // the original platform; exposures, repaints and timers go through.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    app->removeEventFilter(&blocker);
}

void TMainForm::SetBusyCursor(bool On) {
    if (FBusyCursor == On || !Screen) return;
    FBusyCursor = On;
    Screen->SetCursor(On ? crHourGlass : crDefault);
}

String TMainForm::WithLinkError(const String& Text) const {
    return FLinkError.isEmpty() ? Text : Text + QStringLiteral("\r") + FLinkError;
}

void TMainForm::ShowActivity(int Block, bool Writing) {
    SetStatusText(0, BlockCaption(Block));
    SetStatusText(1, Writing ? GetMsg("WritingSettings", "Запись настроек…")
                             : GetMsg("ReadingSettings", "Загрузка настроек…"));
}
