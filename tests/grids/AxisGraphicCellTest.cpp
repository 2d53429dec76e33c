// Pictures held in graphic blob fields, and the data hint of a cell whose text does not fit.

#include "AxisGridFixture.h"

#include <QBuffer>
#include <QImage>

namespace {

QByteArray PngOf(int w, int h, QColor colour) {
    QImage im(w, h, QImage::Format_RGB32);
    im.fill(colour);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    im.save(&buf, "PNG");
    return bytes;
}

TBytes BytesOf(const QByteArray& a) {
    return TBytes(a.begin(), a.end());
}

QByteArray WithHeader(const QByteArray& data, uint32_t size) {
    QByteArray h(8, '\0');
    const uint16_t one = 1, v256 = 256;
    memcpy(h.data(), &one, 2);
    memcpy(h.data() + 2, &v256, 2);
    memcpy(h.data() + 4, &size, 4);
    return h + data;
}

struct PictureTable {
    CompPtr<TComponent> Owner{Create<TComponent>(nullptr)};
    TMemTableEh* T = nullptr;
    TGraphicField* Pic = nullptr;
    TDataSource* DS = nullptr;
    PictureTable() {
        T = Create<TMemTableEh>(Owner.get());
        Pic = Create<TGraphicField>(Owner.get());
        Pic->SetFieldName(QStringLiteral("Pic"));
        Pic->SetDataSet(T);
        T->CreateDataSet();
        DS = Create<TDataSource>(Owner.get());
        DS->SetDataSet(T);
    }
    void Add(const QByteArray& bytes) {
        T->Append();
        Pic->SetAsBytes(BytesOf(bytes));
        T->Post();
    }
};

} // namespace

TEST(AxisGraphicCellTest, HeaderSkippedOnlyWhenItMatches) {
    PictureTable data;
    const QByteArray png = PngOf(40, 20, Qt::red);
    data.Add(WithHeader(png, uint32_t(png.size())));     // a matching header
    data.Add(WithHeader(png, uint32_t(png.size() + 1))); // a length that does not match
    data.Add(QByteArray("not a picture at all"));        // corrupt data
    CompPtr<TForm> form(new TForm(nullptr));
    auto* grid = Create<TTestAxisGrid>(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(0, 0, 300, 200);
    grid->SetDrawGraphicData(true);
    grid->SetDataSource(data.DS);
    TAxisBarEh* c = grid->AxisBars()->AxisBar(0);
    EXPECT_EQ(c->GetColumnType(), ctGraphicData);

    data.T->First();
    std::unique_ptr<TPicture> pic(grid->GetPictureFromBlobField(c));
    EXPECT_EQ(pic->Width(), 40);
    EXPECT_EQ(pic->Height(), 20);

    data.Pic->SetGraphicHeader(false);
    EXPECT_THROW(std::unique_ptr<TPicture>(grid->GetPictureFromBlobField(c)), Exception)
        << "without the header flag the stream is read from its first byte";
    data.Pic->SetGraphicHeader(true);

    data.T->Next();
    EXPECT_THROW(std::unique_ptr<TPicture>(grid->GetPictureFromBlobField(c)), Exception)
        << "a header whose length does not match is picture data";
}

class AxisGraphicDrawTest : public AxisGridFixture {};

TEST_F(AxisGraphicDrawTest, PicturesScaleIntoTheCellAndBadOnesSayWhy) {
    PictureTable data;
    data.Add(PngOf(400, 200, Qt::blue));
    data.Add(QByteArray("garbage"));
    data.Pic->SetGraphicHeader(false);
    InitForms();
    Form.reset(new TForm(nullptr));
    Form->SetBounds(0, 0, 300, 260);
    Grid = Create<TTestAxisGrid>(Form.get());
    Grid->SetParent(Form.get());
    Grid->SetBounds(0, 0, 290, 250);
    Grid->SetDrawGraphicData(true);
    Grid->SetDataSource(data.DS);
    Form->Show();
    PumpGridEvents();
    data.T->First();
    const QString path = SaveControlScreenshot(Form.get(), QStringLiteral("axis_grid_graphic_cells"));
    EXPECT_FALSE(path.isEmpty());
    QImage shot(path);
    ASSERT_FALSE(shot.isNull());
    const TRect cell = Grid->CellRect(1, 1);
    const QPoint inWindow = QPoint(cell.Left, cell.Top) + QPoint(Grid->Left(), Grid->Top());
    // The 2:1 picture is higher than the row allows: it takes the row's height and keeps its
    // aspect ratio, centred across the cell.
    int blue = 0, firstBlue = -1;
    for (int x = 0; x < cell.Width(); ++x) {
        const QRgb p = shot.pixel(inWindow.x() + x, inWindow.y() + cell.Height() / 2);
        if (qBlue(p) > 200 && qRed(p) < 60 && qGreen(p) < 60) {
            ++blue;
            if (firstBlue < 0) firstBlue = x;
        }
    }
    EXPECT_NEAR(blue, 2 * cell.Height(), 2);
    EXPECT_NEAR(firstBlue, (cell.Width() - 2 * cell.Height()) / 2, 2);
}

TEST_F(AxisGraphicDrawTest, DataHintOnlyWhenTheTextDoesNotFit) {
    Build(3);
    Grid->AxisBars()->SetState(csCustomized);
    TAxisBarEh* name = Grid->FindFieldColumn(QStringLiteral("Name"));
    TDBAxisGridDataHintParamsEh hint;
    hint.CursorRect = TRect(0, 0, 200, 24);
    Grid->DefaultFillDataHintShowInfo(TPoint(10, 10), TGridCoord(2, 1), &hint, name);
    EXPECT_TRUE(hint.HintStr.isEmpty()) << "Name 1 fits in 200 pixels";
    hint.CursorRect = TRect(0, 0, 20, 24);
    Grid->DefaultFillDataHintShowInfo(TPoint(10, 10), TGridCoord(2, 1), &hint, name);
    EXPECT_EQ(hint.HintStr, QStringLiteral("Name 1"));
    EXPECT_EQ(hint.HintPos.X, 0) << "left aligned: the rectangle's left - 1, then + 1";
    EXPECT_EQ(hint.HintPos.Y, -1);
}
