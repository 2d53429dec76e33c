#include "AxisGridFixture.h"

#include "lib/tools/ToolCtrlsEh.h"
#include "platform/ui/WinApi.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <algorithm>

void TTestAxisColumn::GetColCellParams(bool EditMode, TAxisColCellParamsEh* Params) {
    if (OnParams) OnParams(EditMode, Params);
}

// ---------------------------------------------------------------------------------------------
// TTestAxisGrid

TTestAxisGrid::TTestAxisGrid(TComponent* AOwner)
    : TCustomDBAxisGridEh(AOwner), FTitleFont(std::make_unique<TFont>()) {}

TTestAxisGrid::~TTestAxisGrid() = default;

TGridAxisBarsEh* TTestAxisGrid::CreateAxisBars() {
    return new TGridAxisBarsEh(this, CollectionItemClassOf<TTestAxisColumn>());
}

int TTestAxisGrid::ReadSelectedIndex() {
    const int i = Col() - 1;
    return AxisBars() && i >= 0 && i < AxisBars()->Count() ? i : -1;
}

void TTestAxisGrid::SetSelectedIndex(int Value) {
    if (Value >= 0 && Value + 1 < ColCount()) SetCol(Value + 1);
}

void TTestAxisGrid::GetBarCellCoord(TAxisBarEh* Column, int& ACol, int& ARow) {
    ACol = Column->Index() + 1;
    ARow = Row();
}

void TTestAxisGrid::RebuildLayout() {
    if (ThrowInRebuild) throw Exception(QStringLiteral("rebuild failed"));
    TCustomDBAxisGridEh::RebuildLayout();
    ++LayoutRebuilds;
    if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
    SetColCount(std::max(2, AxisBars()->Count() + 1));
    SetFixedCols(1);
    SetFixedRows(1);
    for (int i = 1; i < ColCount(); ++i)
        SetColWidths(i, 90);
    SetColWidths(0, 14);
    SyncToData();
}

void TTestAxisGrid::SyncToData() {
    static bool busy = false;
    if (busy || !DataLink() || !AxisBars()) return;
    busy = true;
    struct Clear {
        ~Clear() { busy = false; }
    } guard;
    if (!DataLink()->Active()) {
        SetRowCount(2);
        return;
    }
    const int rowHeight = DefaultRowHeight() + GridLineWidth();
    const int visible = std::max(1, (ClientHeight() - rowHeight) / rowHeight);
    DataLink()->SetBufferCount(visible);
    SetRowCount(1 + std::max(1, DataLink()->RecordCount()));
    const int row = 1 + std::max(0, DataLink()->ActiveRecord());
    if (row != Row()) TCustomGridEh::MoveToCell(Col(), row, true);
    Invalidate();
}

void TTestAxisGrid::LinkActiveChanged(bool Active) {
    TCustomDBAxisGridEh::LinkActiveChanged(Active);
    SyncToData();
}

void TTestAxisGrid::LinkDataSetChanged() {
    SyncToData();
}

void TTestAxisGrid::LinkDataSetScrolled(int) {
    SyncToData();
}

void TTestAxisGrid::Resize() {
    TCustomDBAxisGridEh::Resize();
    SyncToData();
}

void TTestAxisGrid::MoveToCell(int ACol, int ARow, bool MoveAnchor) {
    if (DataLink()->Active() && ARow != Row() && ARow >= 1) {
        DataLink()->MoveBy(ARow - Row());
        ARow = 1 + DataLink()->ActiveRecord();
    }
    TCustomDBAxisGridEh::MoveToCell(ACol, ARow, MoveAnchor);
}

void TTestAxisGrid::KeyDown(Word& Key, TShiftState Shift) {
    TDataSet* ds = DataLink()->DataSet();
    if (ds && DataLink()->Active()) {
        switch (Key) {
        case VK_DOWN:
            DataLink()->MoveBy(1);
            Key = 0;
            return;
        case VK_UP:
            DataLink()->MoveBy(-1);
            Key = 0;
            return;
        case VK_NEXT:
            DataLink()->MoveBy(VisibleRowCount());
            Key = 0;
            return;
        case VK_PRIOR:
            DataLink()->MoveBy(-VisibleRowCount());
            Key = 0;
            return;
        case VK_ESCAPE:
            if (ds->State() == dsEdit || ds->State() == dsInsert) {
                ds->Cancel();
                HideEditor();
            }
            Key = 0;
            return;
        default:
            break;
        }
        if (Shift.Contains(ssCtrl) && Key == VK_HOME) {
            ds->First();
            Key = 0;
            return;
        }
        if (Shift.Contains(ssCtrl) && Key == VK_END) {
            ds->Last();
            Key = 0;
            return;
        }
    }
    TCustomDBAxisGridEh::KeyDown(Key, Shift);
}

String TTestAxisGrid::GetEditText(int ACol, int) {
    if (ACol < 1 || ACol - 1 >= AxisBars()->Count()) return String();
    return AxisBars()->AxisBar(ACol - 1)->GetCellEditText();
}

String TTestAxisGrid::GetEditMask(int ACol, int) {
    if (ACol < 1 || ACol - 1 >= AxisBars()->Count()) return String();
    return AxisBars()->AxisBar(ACol - 1)->GetEditMask();
}

void TTestAxisGrid::SetEditText(int ACol, int ARow, const String& Value) {
    TCustomDBAxisGridEh::SetEditText(ACol, ARow, Value);
    // The editor holds a change: the record is written when the link is asked to.
    if (DataLink()->Editing()) DataLink()->Modified();
}

void TTestAxisGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    TCanvas* c = Canvas();
    if (ARow == 0 || ACol == 0) {
        c->Brush()->SetColor(FixedColor());
        c->FillRect(ARect);
        String text;
        if (ARow == 0 && ACol >= 1 && ACol - 1 < AxisBars()->Count())
            text = AxisBars()->AxisBar(ACol - 1)->Title()->Caption();
        else if (ACol == 0 && ARow == Row())
            text = QStringLiteral(">");
        c->Font()->Assign(Font());
        c->TextRect(ARect, ARect.Left + 3, ARect.Top + 4, text);
        DrawButtonEdges(c, ARect, Flat(), true, true, false, false);
        return;
    }
    if (!DataLink()->Active() || ACol - 1 >= AxisBars()->Count()) {
        c->Brush()->SetColor(Color());
        c->FillRect(ARect);
        return;
    }
    ++DataCellsDrawn;
    TAxisBarEh* column = AxisBars()->AxisBar(ACol - 1);
    const int saved = DataLink()->ActiveRecord();
    DataLink()->SetActiveRecord(ARow - 1);
    struct Restore {
        TAxisGridDataLinkEh* l;
        int r;
        ~Restore() { l->SetActiveRecord(r); }
    } guard{DataLink(), saved};
    TAxisColCellParamsEh* s = GetCellParamsRecord();
    column->FillColCellParams(s);
    s->SetFont(c->Font());
    c->Font()->Assign(column->Font());
    s->SetState(AState);
    TAxisColCellParamsEh params;
    params.SetState(AState);
    DefaultDrawDataCell(TGridCoord(ACol, ARow), TGridCoord(ACol - 1, ARow - 1), &params, ARect, column);
}

// ---------------------------------------------------------------------------------------------
// AxisTable

template <class F> F* AxisTable::Add(const char* name, int size) {
    F* f = Create<F>(Owner.get());
    f->SetFieldName(QString::fromLatin1(name));
    if (size > 0) f->SetSize(size);
    f->SetDataSet(T);
    return f;
}

AxisTable::AxisTable(int rows, bool withCalc, bool withDate) {
    T = Create<TMemTableEh>(Owner.get());
    ID = Add<TIntegerField>("ID", 0);
    Name = Add<TStringField>("Name", 20);
    Amount = Add<TIntegerField>("Amount", 0);
    Flag = Add<TBooleanField>("Flag", 0);
    Code = Add<TStringField>("Code", 5);
    if (withCalc) {
        Calc = Add<TStringField>("Calc", 20);
        Calc->SetFieldKind(fkCalculated);
        T->OnCalcFields = TDataSetNotifyEvent::Callable([this](TDataSet*) {
            ++CalcCount;
            Calc->SetAsString(QStringLiteral("c%1").arg(ID->AsInteger()));
        });
    }
    if (withDate) Born = Add<TDateTimeField>("Born", 0);
    T->CreateDataSet();
    DS = Create<TDataSource>(Owner.get());
    DS->SetDataSet(T);
    T->DisableControls();
    for (int i = 1; i <= rows; ++i)
        Append(i, QStringLiteral("Name %1").arg(i), Variant(i * 10), Variant(i % 2 == 0),
               QString(QChar(u'A' + i % 3)));
    T->First();
    T->EnableControls();
}

void AxisTable::Append(int id, const QString& name, const Variant& amount, const Variant& flag,
                       const QString& code) {
    T->Append();
    ID->SetAsInteger(id);
    Name->SetAsString(name);
    Amount->SetValue(amount);
    Flag->SetValue(flag);
    Code->SetAsString(code);
    T->Post();
}

// ---------------------------------------------------------------------------------------------
// AxisGridFixture

void AxisGridFixture::Build(int rows, bool withCalc, bool show, bool withDate) {
    InitForms();
    // An exception inside a paint or a message would open a message box; the test fails instead.
    Application->OnException = TExceptionEvent::Callable([](TObject*, Exception* E) {
        ADD_FAILURE() << "exception in the message loop: " << E->Message().toStdString();
    });
    Data = std::make_unique<AxisTable>(rows, withCalc, withDate);
    Form.reset(new TForm(nullptr));
    Form->SetBounds(0, 0, 520, 300);
    Grid = Create<TTestAxisGrid>(Form.get());
    Grid->SetParent(Form.get());
    Grid->SetBounds(4, 4, 500, 260);
    Grid->SetDataSource(Data->DS);
    if (show) {
        Form->Show();
        PumpGridEvents();
    }
    Grid->SyncToData();
}

void AxisGridFixture::TearDown() {
    Form.reset();
    Data.reset();
}

void PumpGridEvents() {
    QCoreApplication::processEvents();
    DispatchQueuedMessages();
    QCoreApplication::processEvents();
}

QString SaveControlScreenshot(TWinControl* c, const QString& name) {
    c->HandleNeeded();
    QWidget* w = c->Widget();
    if (!w) return {};
    PumpGridEvents();
    QDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots"));
    dir.mkpath(QStringLiteral("."));
    const QString path = dir.absoluteFilePath(name + QStringLiteral(".png"));
    return w->grab().save(path, "PNG") ? path : QString();
}

QString SaveDroppedDownScreenshot(TWinControl* window, TWinControl* dropDown, const QString& name) {
    window->HandleNeeded();
    dropDown->HandleNeeded();
    PumpGridEvents();
    QWidget* w = window->Widget();
    QWidget* d = dropDown->Widget();
    if (!w || !d) return {};
    const QPoint at = d->mapToGlobal(QPoint(0, 0)) - w->mapToGlobal(QPoint(0, 0));
    const QRect all = QRect(QPoint(0, 0), w->size()).united(QRect(at, d->size()));
    QImage img(all.size(), QImage::Format_RGB32);
    img.fill(Qt::darkGray);
    {
        QPainter p(&img);
        p.drawPixmap(-all.topLeft(), w->grab());
        p.drawPixmap(at - all.topLeft(), d->grab());
    }
    QDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots"));
    dir.mkpath(QStringLiteral("."));
    const QString path = dir.absoluteFilePath(name + QStringLiteral(".png"));
    return img.save(path, "PNG") ? path : QString();
}
