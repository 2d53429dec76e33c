// The Ethernet block's files: list, upload, delete one, delete all.

#include "app/MainUnit.h"
#include "app/MainUnitPriv.h"

#include "lib/lang/LangUnit.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"

#include <QFile>

#include <vector>

namespace {

constexpr int MaxUploadSize = 32700;
constexpr int ChunkSize = 200;
// The finish packet carries 0xD4, 0x02 and the name in one request.
constexpr int MaxUploadNameBytes = 249;

// Status of the file changes: anything but 0 and 2 is accepted.
bool FileChangeAccepted(uint8_t Status) {
    return Status != 0 && Status != 2;
}

String EthCaption() {
    return GetMsg("EthMsgCaption", "Блок Ethernet");
}

} // namespace

String TMainForm::FilesSpaceText(int Files, uint32_t Used, uint32_t Total) {
    return GetMsgFmt("EthFilesSpace", "Всего файлов %d. Занято %d из %d байт.", Files, long(Used),
                     long(Total));
}

bool TMainForm::ReadEthernetFileList(bool SelectLast) {
    TListItems* items = EthFilesListView->Items();
    items->BeginUpdate();
    items->Clear();
    EthFilesSpaceStaticText->SetCaption(FilesSpaceText(0, 0, 0));
    TAnswerBuffer answer;
    const uint8_t info[] = {0xD4, 0x00};
    if (!Exchange(info, 2, baEthernet, answer.data(), 0x4D) || !AnswerCovers(answer.data(), 14)) {
        items->EndUpdate();
        return false;
    }
    const int count = answer[6];
    const uint32_t used = Le32(answer.data() + 7);
    const uint32_t total = Le32(answer.data() + 11);
    for (int i = 0; i < count; ++i) {
        const uint8_t entry[] = {0xD4, 0x04, uint8_t(i)};
        if (!Exchange(entry, 3, baEthernet, answer.data(), 0x4D) || !AnswerCovers(answer.data(), 9)) {
            items->EndUpdate();
            return false;
        }
        const int nameLength = int(answer[1]) - 11;
        TListItem* item = items->Add();
        item->SetCaption(FromAnsi(AnsiString(reinterpret_cast<const char*>(answer.data() + 10), nameLength)));
        item->SubItems()->Add(UIntToStr(Le32(answer.data() + 6)));
    }
    if (items->Count() > 0) EthFilesListView->SetItemIndex(SelectLast ? items->Count() - 1 : 0);
    EthFilesSpaceStaticText->SetCaption(FilesSpaceText(count, used, total));
    items->EndUpdate();
    UpdateEthFileButtons();
    return true;
}

void TMainForm::UpdateEthFileButtons() {
    const bool any = EthFilesListView->Items()->Count() > 0;
    EthFileDeleteButton->SetEnabled(any);
    EthFileDeletaAllButton->SetEnabled(any);
}

bool TMainForm::CheckEthernetFiles() {
    if (!OpenDevice()) {
        ShowMsgBox(GetMsg("DeviceMissingMsg", "Устройство отсутствует!"),
                   GetMsg("DeviceMsgCaption", "Блок газоанализатора"), MsgBoxError, "MainUnit", __LINE__);
        return false;
    }
    const bool ok = ReadEthernetFileList(false);
    if (!ok)
        EthFilesSpaceStaticText->SetCaption(GetMsg("EthFilesReadError", "Ошибка загрузки списка файлов"));
    CloseDevice();
    return ok;
}

bool TMainForm::DeleteFiles(const uint8_t* Request, int Length) {
    if (!OpenDevice()) return false;
    TAnswerBuffer answer;
    bool ok = SendRequest(Request, Length, baEthernet) && ReceiveAnswer(answer.data()) &&
              FileChangeAccepted(answer[4]);
    if (ok && !ReadEthernetFileList(false)) {
        EthFilesSpaceStaticText->SetCaption(GetMsg("EthFilesReadError", "Ошибка загрузки списка файлов"));
        ok = false;
    }
    CloseDevice();
    return ok;
}

bool TMainForm::DeleteEthernetFile(int Index) {
    if (Index < 0 || Index > 255) return false;
    const uint8_t request[] = {0xD4, 0x03, uint8_t(Index)};
    return DeleteFiles(request, 3);
}

bool TMainForm::DeleteAllEthernetFiles() {
    const uint8_t request[] = {0xD4, 0x03};
    return DeleteFiles(request, 2);
}

bool TMainForm::UploadEthernetFile(const String& Path) {
    const String caption = EthCaption();
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowMsgBox(GetMsg("EthAddFileOpenError", "Ошибка открытия файла!"), caption, MsgBoxError, "MainUnit",
                   __LINE__);
        return false;
    }
    const qint64 size = file.size();
    if (size > MaxUploadSize || size < 1) {
        file.close();
        ShowMsgBox(GetMsg("EthAddFileSizeError", "Файл слишком большой!"), caption, MsgBoxError, "MainUnit",
                   __LINE__);
        return false;
    }
    QByteArray data = file.read(size);
    file.close();
    if (data.size() < size) {
        ShowMsgBox(GetMsg("EthAddFileReadError", "Ошибка чтения файла!"), caption, MsgBoxError, "MainUnit",
                   __LINE__);
        return false;
    }
    // The name must fit the finish packet; a longer one is refused before anything is sent, so
    // that no nameless upload is left on the block.
    const AnsiString name = ToAnsi(ExtractFileName(Path));
    if (name.size() > MaxUploadNameBytes) {
        ShowMsgBox(GetMsg("EthAddFileError", "Ошибка загрузки файла!"), caption, MsgBoxError, "MainUnit",
                   __LINE__);
        return false;
    }
    if (!OpenDevice()) {
        ShowMsgBox(GetMsg("DeviceMissingMsg", "Устройство отсутствует!"),
                   GetMsg("DeviceMsgCaption", "Блок газоанализатора"), MsgBoxError, "MainUnit", __LINE__);
        return false;
    }
    auto failed = [&](int line) {
        CloseDevice();
        ShowMsgBox(WithLinkError(GetMsg("EthAddFileError", "Ошибка загрузки файла!")), caption, MsgBoxError,
                   "MainUnit", line);
        return false;
    };
    TAnswerBuffer answer;
    std::vector<uint8_t> packet(2 + ChunkSize);
    packet[0] = 0xD4;
    int offset = 0;
    int chunk = ChunkSize;
    for (;;) {
        if (offset + chunk > size) chunk = int(size) - offset;
        EthFilesSpaceStaticText->SetCaption(
            GetMsgFmt("EthFilesWrite", "Загрузка файла %d из %d байт", offset + chunk, int(size)));
        Repaint(); // the window shows the progress although the thread is busy
        packet[1] = 0x01;
        std::memcpy(packet.data() + 2, data.constData() + offset, size_t(chunk));
        if (!SendRequest(packet.data(), 2 + chunk, baEthernet) || !ReceiveAnswer(answer.data()) ||
            !FileChangeAccepted(answer[4]))
            return failed(__LINE__);
        offset += chunk;
        if (offset >= size) break;
    }
    data.clear();
    std::vector<uint8_t> finish{0xD4, 0x02};
    finish.insert(finish.end(), name.begin(), name.end());
    if (!SendRequest(finish.data(), int(finish.size()), baEthernet) || !ReceiveAnswer(answer.data()) ||
        !FileChangeAccepted(answer[4]))
        return failed(__LINE__);
    bool ok = ReadEthernetFileList(true);
    if (!ok)
        EthFilesSpaceStaticText->SetCaption(GetMsg("EthFilesReadError", "Ошибка загрузки списка файлов"));
    CloseDevice();
    return ok;
}

void TMainForm::EthCheckFilesButtonClick(TObject*) {
    CheckEthernetFiles();
}

void TMainForm::EthFileAddButtonClick(TObject*) {
    if (RunFileDialog(EthOpenDialog)) UploadEthernetFile(EthOpenDialog->FileName());
}

void TMainForm::EthFileDeleteButtonClick(TObject*) {
    TListItem* selected = EthFilesListView->Selected();
    if (!selected) return; // nothing to delete, nothing to ask
    const String caption = EthCaption();
    if (ShowMsgBox(GetMsgFmt("EthFileDeleteQuestion", "Удалить файл '%s'?", selected->Caption()), caption,
                   MsgBoxQuestionYesNo, "MainUnit", __LINE__) != IDYES)
        return;
    const int index = selected->Index();
    TListItems* items = EthFilesListView->Items();
    items->BeginUpdate();
    if (DeleteEthernetFile(index)) {
        if (index < items->Count())
            EthFilesListView->SetItemIndex(index);
        else if (items->Count() > 0)
            EthFilesListView->SetItemIndex(items->Count() - 1);
        items->EndUpdate();
        UpdateEthFileButtons();
    } else {
        items->EndUpdate();
        ShowMsgBox(WithLinkError(GetMsg("EthFileDeleteError", "Ошибка удаления файла!")), caption,
                   MsgBoxError, "MainUnit", __LINE__);
    }
}

void TMainForm::EthFileDeletaAllButtonClick(TObject*) {
    const String caption = EthCaption();
    if (ShowMsgBox(GetMsg("EthFileDeleteAllQuestion", "Удалить все файлы?"), caption, MsgBoxQuestionYesNo,
                   "MainUnit", __LINE__) != IDYES)
        return;
    TListItems* items = EthFilesListView->Items();
    items->BeginUpdate();
    const bool ok = DeleteAllEthernetFiles();
    items->EndUpdate();
    if (!ok)
        ShowMsgBox(WithLinkError(GetMsg("EthAllFileDeleteError", "Ошибка удаления файлов!")), caption,
                   MsgBoxError, "MainUnit", __LINE__);
}
