#pragma once
// The tool's windows over the in-process device simulator, with a clock that runs only when the
// tool sleeps and message boxes that answer from a script.

#include "app/ControlEventsTable.h"
#include "lib/memtable/MemTableEh.h"
#include "app/MainUnit.h"
#include "app/Rs485Unit.h"
#include "app/UnitsUnit.h"
#include "app/Wiegant26Unit.h"
#include "lib/lang/LangUnit.h"
#include "platform/serial/SerialTransport.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/WinApi.h"
#include "tools/devsim/DevSim.h"
#include "tools/devsim/DevSimTransport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <deque>
#include <memory>
#include <utility>
#include <vector>

struct ShownBox {
    String Text;
    String Caption;
    unsigned Flags = 0;
};

class AppTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();

    void SetUp() override;
    void TearDown() override;

    // Rebuilds the windows (a fresh start of the tool over the same device).
    void NewWindows();
    void FreeWindows();

    // The texts of the boxes shown since the last call, and forgets them.
    std::vector<ShownBox> TakeBoxes();
    // The one box shown since the last call (fails the test when there were more or none).
    ShownBox OnlyBox();

    std::unique_ptr<devsim::DeviceSimulator> sim;
    TMainForm* form = nullptr;
    uint32_t ticks = 0;      // the tool's clock, in milliseconds
    std::deque<int> answers; // answers to question boxes (IDYES when empty)
    std::vector<ShownBox> boxes;
    std::function<void(const ShownBox&)> onBox; // runs while a box is "open"
    QTemporaryDir dir;
};

// Text of a control (edits, labelled edits, combo boxes).
inline std::string T(TControl* c) {
    return c->Text().toStdString();
}

template <class A> int Le16Of(const A& a, int i) {
    return a[size_t(i)] | (a[size_t(i) + 1] << 8);
}

// The (bt1, bt2) pairs of the events table in table order; the current row stays current.
using EventRow = std::pair<int, int>;
std::vector<EventRow> EventRows(TMemTableEh* Table);
