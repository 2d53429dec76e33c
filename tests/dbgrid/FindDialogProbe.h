// Looks at the grid's find dialog while a key press that opens it waits for it.
#pragma once

#include "lib/dbgrid/DBGridEhFindDlg.h"
#include "platform/ui/Forms.h"

#include <QTimer>

#include <functional>

struct FindDialogSeen {
    bool Seen = false;
    bool Modal = false;
};

// Runs Press, which may open the find dialog modally and return only once it is closed. A timer
// hands the shown dialog to Look and closes it; a second one cancels a modal dialog still open
// after five seconds, so that a fault fails the test instead of hanging it. Pump runs last: a
// dialog that did not wait is looked at there.
inline FindDialogSeen WhileFindDialogShows(const std::function<void()>& Press,
                                           const std::function<void(TDBGridEhFindDlg*)>& Look,
                                           const std::function<void()>& Pump) {
    FindDialogSeen r;
    QTimer probe;
    probe.setInterval(10);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        TDBGridEhFindDlg* d = DBGridEhFindDlg();
        if (!d || !d->Visible()) return;
        r.Seen = true;
        probe.stop();
        r.Modal = d->IsModal();
        Look(d);
        d->Close();
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (TDBGridEhFindDlg* d = DBGridEhFindDlg(); d && d->IsModal()) d->SetModalResult(mrCancel);
    });
    probe.start();
    guard.start(5000);
    Press();
    Pump();
    guard.stop();
    probe.stop();
    return r;
}
