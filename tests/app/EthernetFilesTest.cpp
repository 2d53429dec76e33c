// The Ethernet block's files: the list, uploads at and beyond the limits, deletes.

#include "AppFixture.h"

#include <QFile>

namespace {

String MakeFile(const QTemporaryDir& dir, const String& name, int size) {
    const String path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char(i * 7 + 3);
    f.write(data);
    return path;
}

} // namespace

class EthernetFilesTest : public AppTest {
protected:
    std::vector<std::vector<uint8_t>> Chunks() const {
        std::vector<std::vector<uint8_t>> chunks;
        for (const auto& r : sim->Log())
            if (r.address == 3 && r.data.size() >= 2 && r.data[0] == 0xD4 && r.data[1] == 0x01)
                chunks.push_back(r.data);
        return chunks;
    }
};

TEST_F(EthernetFilesTest, UploadsSplitIntoChunksAndListTheNewFile) {
    struct Case {
        int size;
        size_t chunks;
        size_t lastChunk;
    };
    for (const Case& c :
         {Case{1, 1, 1}, Case{200, 1, 200}, Case{201, 2, 1}, Case{450, 3, 50}, Case{32700, 164, 100}}) {
        SCOPED_TRACE(c.size);
        sim->ClearLog();
        std::vector<String> progress;
        const String name = QStringLiteral("f%1.htm").arg(c.size);
        const String path = MakeFile(dir, name, c.size);
        ASSERT_TRUE(form->UploadEthernetFile(path));
        const auto chunks = Chunks();
        ASSERT_EQ(chunks.size(), c.chunks);
        EXPECT_EQ(chunks.back().size() - 2, c.lastChunk);
        const auto& files = sim->State().files;
        ASSERT_FALSE(files.empty());
        EXPECT_EQ(files.back().name, name.toStdString());
        EXPECT_EQ(files.back().data.size(), size_t(c.size));
        // The list is read again and its last row selected.
        TListView* list = form->EthFilesListView;
        ASSERT_EQ(list->Items()->Count(), int(files.size()));
        ASSERT_NE(list->Selected(), nullptr);
        EXPECT_EQ(list->Selected()->Caption(), name);
        EXPECT_EQ(list->Selected()->SubItems()->Strings(0), QString::number(c.size));
        EXPECT_TRUE(form->EthFileDeleteButton->Enabled());
        EXPECT_FALSE(form->DeviceOpen());
    }
    EXPECT_TRUE(TakeBoxes().empty());
}

namespace {

// The simulator's transport, with a look at the window before each request goes out.
class WatchedTransport : public TSerialTransport {
public:
    WatchedTransport(std::unique_ptr<TSerialTransport> inner, std::function<void()> watch)
        : inner_(std::move(inner)), watch_(std::move(watch)) {}
    FT_STATUS Read(uint8_t* b, uint32_t n, uint32_t* got) override { return inner_->Read(b, n, got); }
    FT_STATUS Write(const uint8_t* b, uint32_t n, uint32_t* written) override {
        watch_();
        return inner_->Write(b, n, written);
    }
    FT_STATUS SetBaudRate(uint32_t v) override { return inner_->SetBaudRate(v); }
    FT_STATUS SetDataCharacteristics(uint8_t a, uint8_t b, uint8_t c) override {
        return inner_->SetDataCharacteristics(a, b, c);
    }
    FT_STATUS SetTimeouts(uint32_t r, uint32_t w) override { return inner_->SetTimeouts(r, w); }
    FT_STATUS GetQueueStatus(uint32_t* rx) override { return inner_->GetQueueStatus(rx); }

private:
    std::unique_ptr<TSerialTransport> inner_;
    std::function<void()> watch_;
};

} // namespace

TEST_F(EthernetFilesTest, ProgressShowsBeforeEachChunk) {
    std::vector<std::string> shown;
    auto simFactory = devsim::DevSimTransportFactory(*sim);
    SetSerialTransportFactory(
        [&](int index, FT_STATUS* status, std::string* reason) -> std::unique_ptr<TSerialTransport> {
            auto inner = simFactory(index, status, reason);
            if (!inner) return nullptr;
            return std::make_unique<WatchedTransport>(std::move(inner), [&] {
                const std::string text = form->EthFilesSpaceStaticText->Caption().toStdString();
                if (shown.empty() || shown.back() != text) shown.push_back(text);
            });
        });
    ASSERT_TRUE(form->UploadEthernetFile(MakeFile(dir, QStringLiteral("p.htm"), 450)));
    const std::vector<std::string> expected = {
        "Загрузка файла 200 из 450 байт", "Загрузка файла 400 из 450 байт", "Загрузка файла 450 из 450 байт"};
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(shown.begin(), shown.begin() + 3), expected);
    // The finish packet names the file without its directory.
    const auto& log = sim->Log();
    auto finish = std::find_if(log.begin(), log.end(), [](const devsim::LoggedRequest& r) {
        return r.data.size() >= 2 && r.data[1] == 0x02;
    });
    ASSERT_NE(finish, log.end());
    EXPECT_EQ(std::string(finish->data.begin() + 2, finish->data.end()), "p.htm");
}

TEST_F(EthernetFilesTest, RefusedUploadsSendNothing) {
    struct Case {
        String path;
        const char* text;
    };
    const String longName = MakeFile(dir, String(250, QLatin1Char('n')), 10);
    const Case cases[] = {
        {MakeFile(dir, QStringLiteral("empty.bin"), 0), "Файл слишком большой!"},
        {MakeFile(dir, QStringLiteral("big.bin"), 32701), "Файл слишком большой!"},
        {dir.filePath(QStringLiteral("missing.bin")), "Ошибка открытия файла!"},
        {longName, "Ошибка загрузки файла!"},
    };
    for (const Case& c : cases) {
        sim->ClearLog();
        EXPECT_FALSE(form->UploadEthernetFile(c.path));
        ShownBox box = OnlyBox();
        EXPECT_TRUE(box.Text.startsWith(QString::fromUtf8(c.text))) << box.Text.toStdString();
        EXPECT_EQ(box.Caption.toStdString(), "Блок Ethernet");
        EXPECT_TRUE(sim->Log().empty());
    }
}

TEST_F(EthernetFilesTest, FailedChunkReportsAndCloses) {
    const String path = MakeFile(dir, QStringLiteral("a.htm"), 450);
    sim->AddFault(*devsim::ParseFaultRule("3:D4:01=status*1"));
    EXPECT_FALSE(form->UploadEthernetFile(path));
    EXPECT_TRUE(OnlyBox().Text.startsWith(QStringLiteral("Ошибка загрузки файла!")));
    EXPECT_EQ(Chunks().size(), 1u);
    EXPECT_FALSE(form->DeviceOpen());
}

TEST_F(EthernetFilesTest, DeleteSelectsTheRowThatTookItsPlace) {
    sim->State().files.clear();
    for (const char* n : {"a.htm", "b.htm", "c.htm"})
        form->UploadEthernetFile(MakeFile(dir, QString::fromLatin1(n), 10));
    TListView* list = form->EthFilesListView;
    ASSERT_EQ(list->Items()->Count(), 3);
    list->SetItemIndex(1);
    form->EthFileDeleteButtonClick(nullptr);
    ShownBox question = OnlyBox();
    EXPECT_EQ(question.Text.toStdString(), "Удалить файл 'b.htm'?");
    EXPECT_EQ(question.Flags, 36u);
    ASSERT_EQ(list->Items()->Count(), 2);
    EXPECT_EQ(list->Selected()->Caption().toStdString(), "c.htm");
    // The last row: the new last one is selected.
    form->EthFileDeleteButtonClick(nullptr);
    TakeBoxes();
    EXPECT_EQ(list->Selected()->Caption().toStdString(), "a.htm");
    // No selection: nothing asked, nothing sent.
    list->SetItemIndex(-1);
    sim->ClearLog();
    form->EthFileDeleteButtonClick(nullptr);
    EXPECT_TRUE(TakeBoxes().empty());
    EXPECT_TRUE(sim->Log().empty());
    // Answering No keeps the files; Yes to "delete all" empties the list and the buttons.
    answers = {IDNO};
    form->EthFileDeletaAllButtonClick(nullptr);
    EXPECT_EQ(list->Items()->Count(), 1);
    form->EthFileDeletaAllButtonClick(nullptr);
    TakeBoxes();
    EXPECT_EQ(list->Items()->Count(), 0);
    EXPECT_FALSE(form->EthFileDeleteButton->Enabled());
    EXPECT_FALSE(form->EthFileDeletaAllButton->Enabled());
    EXPECT_TRUE(
        form->EthFilesSpaceStaticText->Caption().startsWith(QStringLiteral("Всего файлов 0. Занято 0 из ")));
}

TEST_F(EthernetFilesTest, FailedListReadLeavesTheParametersAlone) {
    sim->AddFault(*devsim::ParseFaultRule("3:D4:00=noanswer"));
    form->MainPageControl->SetActivePageIndex(baEthernet);
    form->BlockReadNClick(nullptr);
    EXPECT_TRUE(OnlyBox().Text.startsWith(QStringLiteral("Ошибка загрузки настроек блока Ethernet!")));
    EXPECT_TRUE(form->EthFWLabeledEdit->Text().isEmpty());
    EXPECT_EQ(form->EthFilesSpaceStaticText->Caption().toStdString(), "Ошибка загрузки списка файлов");
}
