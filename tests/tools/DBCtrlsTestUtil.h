#pragma once
// Editors under test: a form holding them, a memory table with one field of each kind bound
// through a data source, and pinned format settings.

#include "lib/memtable/MemTableEh.h"
#include "lib/tools/DBCtrlsEh.h"
#include "platform/rtl/SysUtils.h"
#include "ui/Screenshot.h"
#include "ui/UiTestUtil.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

// Saves the form with the drop-downs that show over it (they are windows of their own) under
// <build>/screenshots/<name>.png.
inline QString SaveFormWithPopups(TWinControl* form, const QString& name) {
    QCoreApplication::processEvents();
    QWidget* fw = form->Widget();
    QPixmap pm = fw->grab();
    QPainter painter(&pm);
    const QPoint origin = fw->mapToGlobal(QPoint(0, 0));
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != fw && w->isVisible() && (w->windowFlags() & Qt::ToolTip) == Qt::ToolTip)
            painter.drawPixmap(w->mapToGlobal(QPoint(0, 0)) - origin, w->grab());
    painter.end();
    QDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots"));
    dir.mkpath(QStringLiteral("."));
    const QString path = dir.absoluteFilePath(name + QStringLiteral(".png"));
    return pm.save(path, "PNG") ? path : QString();
}

// Format settings pinned for one test and put back after it.
class PinnedFormat {
public:
    explicit PinnedFormat(const char* locale) : FSaved(FormatSettings()) {
        SetFormatSettings(TFormatSettings::Create(QString::fromLatin1(locale)));
    }
    ~PinnedFormat() { SetFormatSettings(FSaved); }

private:
    TFormatSettings FSaved;
};

// A form, a memory table of every field kind the editors bind to, and its data source. The
// table holds one row: Name "Иванов", Qty 5, Price 12.5, Born 2001-02-03, Stamp
// 2020-06-07 08:09:10, Flag true, Code "Y", Color "B".
struct EditorFixture : ::testing::Test {
    PinnedFormat Fmt{"en_US"};
    TForm* Form = nullptr;
    TMemTableEh* T = nullptr;
    TDataSource* DS = nullptr;

    void SetUp() override {
        Form = Create<TForm>(nullptr);
        Form->SetBounds(100, 100, 420, 320);
        Form->SetCaption(QStringLiteral("Редакторы"));
        T = Create<TMemTableEh>(Form);
        T->FieldDefs()->Add(QStringLiteral("Name"), ftWideString, 30);
        T->FieldDefs()->Add(QStringLiteral("Qty"), ftInteger);
        T->FieldDefs()->Add(QStringLiteral("Price"), ftFloat);
        T->FieldDefs()->Add(QStringLiteral("Born"), ftDate);
        T->FieldDefs()->Add(QStringLiteral("Stamp"), ftDateTime);
        T->FieldDefs()->Add(QStringLiteral("Flag"), ftBoolean);
        T->FieldDefs()->Add(QStringLiteral("Code"), ftString, 10);
        T->FieldDefs()->Add(QStringLiteral("Color"), ftString, 10);
        T->CreateDataSet();
        T->Append();
        F("Name")->SetAsString(QStringLiteral("Иванов"));
        F("Qty")->SetAsInteger(5);
        F("Price")->SetAsFloat(12.5);
        F("Born")->SetAsDateTime(EncodeDate(2001, 2, 3));
        F("Stamp")->SetAsDateTime(EncodeDate(2020, 6, 7) + EncodeTime(8, 9, 10, 0));
        F("Flag")->SetAsBoolean(true);
        F("Code")->SetAsString(QStringLiteral("Y"));
        F("Color")->SetAsString(QStringLiteral("B"));
        T->Post();
        DS = Create<TDataSource>(Form);
        DS->SetDataSet(T);
    }
    void TearDown() override {
        Form->Free();
        PumpEvents();
    }

    TField* F(const char* name) { return T->FieldByName(QString::fromLatin1(name)); }

    template <class E> E* Editor(const char* field, int top = 10, int width = 200) {
        E* e = Create<E>(Form);
        e->SetParent(Form);
        e->SetBounds(10, top, width, 24);
        if (field) {
            e->SetDataSource(DS);
            e->SetDataField(QString::fromLatin1(field));
        }
        return e;
    }
    // A second control to take the focus away.
    TEdit* Other() {
        if (!FOther) {
            FOther = Create<TEdit>(Form);
            FOther->SetParent(Form);
            FOther->SetBounds(10, 280, 100, 24);
        }
        return FOther;
    }
    void Show(TWinControl* focus = nullptr) {
        ShowAndActivate(Form);
        if (focus) {
            focus->SetFocus();
            PumpEvents(10);
        }
    }
    void FocusOther() {
        Other()->SetFocus();
        PumpEvents(10);
    }

private:
    TEdit* FOther = nullptr;
};
