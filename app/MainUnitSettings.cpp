// Settings files: the window's editable controls by name with their values, one line each, and
// the events table as one "TBL" line.

#include "app/ControlEventsTable.h"
#include "lib/dbgrid/DBGridEh.h"
#include "lib/memtable/MemTableEh.h"
#include "app/MainUnit.h"
#include "app/MainUnitPriv.h"
#include "app/UnitsUnit.h"
#include "events/EventEditUnit.h"

#include "lib/lang/LangUnit.h"
#include "platform/classes/Classes.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

#include <QFile>

#include <cstdio>
#include <vector>

namespace {

const char* const EventsLineName = "TBL";

bool Inside(TControl* Control, TControl* Container) {
    for (TControl* c = Control; c; c = c->Parent())
        if (c == Container) return true;
    return false;
}

struct PageKind {
    const char* FilterKey;
    const char* Filter;
};

const PageKind PageKinds[4] = {
    {"DeviceFilter", "Газоанализатор|*.dcf|"},
    {"ControlFilter", "Блок сопряжения|*.ccf|"},
    {"RS485Filter", "Блок RS-485|*.rcf|"},
    {"EthFilter", "Блок Ethernet|*.ecf|"},
};

String AllBlocksFilter() {
    return GetMsg("AllBlocksFilter", "Все блоки|*.acf|");
}

// The extension of the pattern of filter Index (1-based) in "desc|pattern|desc|pattern|".
String FilterExtension(const String& Filter, int Index) {
    const QStringList parts = Filter.split(QLatin1Char('|'));
    const int at = 2 * (Index - 1) + 1;
    if (Index < 1 || at >= parts.size()) return String();
    String pattern = parts[at].section(QLatin1Char(';'), 0, 0).trimmed();
    const int dot = pattern.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || pattern.mid(dot).contains(QLatin1Char('*'))) return String();
    return pattern.mid(dot);
}

// A name typed without an extension gets the one of the chosen filter.
String WithFilterExtension(const String& FileName, const String& Filter, int Index) {
    if (!ExtractFileExt(FileName).isEmpty()) return FileName;
    return FileName + FilterExtension(Filter, Index);
}

} // namespace

TControl* TMainForm::ActiveBlockPage() const {
    return MainPageControl->ActivePage();
}

TLabeledEdit* TMainForm::SerialEdit(int Block) const {
    switch (Block) {
    case baGasAnalyser:
        return DevSerialLabeledEdit;
    case baInterface:
        return ControlSerialLabeledEdit;
    case baRs485:
        return RS485SerialLabeledEdit;
    default:
        return EthSerialLabeledEdit;
    }
}

void TMainForm::FileWriteNClick(TObject*) {
    const int p = MainPageControl->ActivePageIndex();
    if (p < 0 || p > 3) return;
    const String filter = AllBlocksFilter() + GetMsg(PageKinds[p].FilterKey, PageKinds[p].Filter);
    MainSaveDialog->SetFilter(filter);
    MainSaveDialog->SetFileName(SerialEdit(p)->Text());
    MainSaveDialog->SetFilterIndex(1);
    if (!RunFileDialog(MainSaveDialog)) return;
    const int index = MainSaveDialog->FilterIndex();
    const String name = WithFilterExtension(MainSaveDialog->FileName(), filter, index);
    if (index == 2)
        SaveSettings(name, ActiveBlockPage());
    else
        SaveSettings(name, this);
}

void TMainForm::FileReadNClick(TObject*) {
    const int p = MainPageControl->ActivePageIndex();
    if (p < 0 || p > 3) return;
    const String filter = AllBlocksFilter() + GetMsg(PageKinds[p].FilterKey, PageKinds[p].Filter);
    MainOpenDialog->SetFilter(filter);
    MainOpenDialog->SetFileName(SerialEdit(p)->Text());
    MainOpenDialog->SetFilterIndex(1);
    if (!RunFileDialog(MainOpenDialog)) return;
    String name = MainOpenDialog->FileName();
    if (!FileExists(name)) name = WithFilterExtension(name, filter, MainOpenDialog->FilterIndex());
    // The chosen filter names the kind of file: it must carry keys of the page (or of any page).
    LoadSettings(name, MainOpenDialog->FilterIndex() == 2 ? ActiveBlockPage() : this);
}

String TMainForm::EventsLineValue() {
    TMemTableEh* table = ControlEventsMemTableEh;
    const int recNo = table->RecNo();
    table->DisableControls();
    String value;
    for (table->First(); !table->Eof(); table->Next())
        value += IntToStr(int(ControlEventBt1(table)) * 256 + ControlEventBt2(table)) + QLatin1Char(',');
    if (recNo > 0) table->SetRecNo(recNo);
    table->EnableControls();
    return value;
}

bool TMainForm::SaveSettings(const String& FileName, TControl* Container) {
    const String common = GetMsg("CommonName", "Устройство");
    const String tempName = FileName + QStringLiteral(".tmp~");
    try {
        TStringList lines;
        for (int i = 0; i < ComponentCount(); ++i) {
            TComponent* c = Components(i);
            const String name = c->Name();
            if (IsExactClass(c, "TDBGridEh")) {
                // The events grid carries the events table's line.
                if (Inside(dynamic_cast<TControl*>(c), Container) && !ControlEventsMemTableEh->IsEmpty())
                    lines.Add(QString::fromLatin1(EventsLineName) + QLatin1Char('=') + EventsLineValue());
                continue;
            }
            auto* control = dynamic_cast<TControl*>(c);
            if (!control || !Inside(control, Container)) continue;
            if (IsExactClass(c, "TEdit")) {
                lines.Add(name + QLatin1Char('=') + control->Text());
            } else if (IsExactClass(c, "TLabeledEdit")) {
                if (c->Tag() == 0) {
                    lines.Add(name + QLatin1Char('=') + control->Text());
                } else if (c->Tag() == -1) {
                    // The units line: written only with a valid threshold; units the dialog
                    // could not show go back to the file as they came.
                    if (HoldsUnshownValue(control) &&
                        (UnitsForm->UnitIndex() < 0 || UnitsForm->RatioIndex() < 0))
                        lines.Add(name + QLatin1Char('=') + IntToStr(UnshownValue(control)));
                    else if (CheckThreshold())
                        lines.Add(name + QLatin1Char('=') +
                                  IntToStr(int(UnitsForm->GetUnitsCode()) * 256 + UnitsForm->ThresholdRaw));
                }
            } else if (IsExactClass(c, "TComboBox")) {
                auto* box = static_cast<TComboBox*>(c);
                // A value the list could not show goes to the file as it came, not as "-1".
                const int index =
                    HoldsUnshownValue(box) && box->ItemIndex() < 0 ? UnshownValue(box) : box->ItemIndex();
                lines.Add(name + QLatin1Char('=') +
                          (box->Style() == csDropDownList ? IntToStr(index) : box->Text()));
            } else if (IsExactClass(c, "TCheckBox")) {
                lines.Add(name + QLatin1Char('=') + (static_cast<TCheckBox*>(c)->Checked() ? "1" : "0"));
            }
        }
        // Written beside the target and put in its place only when complete, so that a failed
        // save never costs the user the file that was there.
        lines.SaveToFile(tempName);
        if (std::rename(QFile::encodeName(tempName).constData(), QFile::encodeName(FileName).constData()) !=
            0)
            throw EFCreateError(QStringLiteral("Cannot create file \"%1\"").arg(FileName));
        SetStatusText(0, Container == this ? common : Container->Caption());
        const String text = GetMsgFmt("SaveSettings", "Настройки записаны в файл '%s'.", FileName);
        SetStatusText(1, text);
        ShowMsgBox(text, common, MsgBoxInformation, "MainUnit", __LINE__);
        return true;
    } catch (const std::exception&) {
        QFile::remove(tempName);
        const String text = GetMsgFmt("SaveSettingsError", "Ошибка записи настроек в файл '%s'!", FileName);
        SetStatusText(1, text);
        ShowMsgBox(text, common, MsgBoxError, "MainUnit", __LINE__);
        return false;
    }
}

namespace {

// The events of a "TBL" value: an item that reads as an integer other than -1 is an event
// (bt1 × 256 + bt2); other items are skipped. False with Reason when the value is not a table
// the block can run.
bool ParseEventsLine(const String& Value, std::vector<int>& Events, String& Reason) {
    TStringList items;
    items.SetDelimiter(',');
    items.SetQuoteChar('"');
    items.SetStrictDelimiter(false);
    items.SetDelimitedText(Value);
    Events.clear();
    for (int i = 0; i < items.Count(); ++i) {
        Int64 v = 0;
        if (!TryStrToInt64(items.Strings(i), v) || v == -1) continue;
        if (v < 0 || v > 0xFFFF) {
            Reason =
                GetMsgFmt("SettingsEventValueError", "Неверное событие в таблице: %s.", items.Strings(i));
            return false;
        }
        Events.push_back(int(v));
    }
    if (int(Events.size()) > MaxControlEvents) {
        Reason =
            GetMsgFmt("SettingsEventCountError", "В таблице %d событий, блок сопряжения хранит не более %d.",
                      int(Events.size()), MaxControlEvents);
        return false;
    }
    return true;
}

// The controls whose lines a settings file holds (the units line included), by exact class.
bool IsStoredControl(TComponent* c) {
    if (IsExactClass(c, "TEdit") || IsExactClass(c, "TComboBox") || IsExactClass(c, "TCheckBox")) return true;
    return IsExactClass(c, "TLabeledEdit") && (c->Tag() == 0 || c->Tag() == -1);
}

} // namespace

bool TMainForm::LoadSettings(const String& FileName, TControl* Kind) {
    const String common = GetMsg("CommonName", "Устройство");
    const auto refuse = [&](const String& Reason, int Line) {
        ShowMsgBox(GetMsgFmt("LoadSettinsError", "Ошибка загрузки настроек из файла '%s'!", FileName) +
                       QStringLiteral("\r") + Reason,
                   common, MsgBoxError, "MainUnit", Line);
        return false;
    };
    if (!Kind) Kind = this;
    try {
        TStringList lines;
        lines.LoadFromFile(FileName);

        // Everything is checked before anything is applied: a refused file changes nothing.
        const int eventsAt = lines.IndexOfName(QString::fromLatin1(EventsLineName));
        bool ofKind = eventsAt >= 0 && Inside(ControlEventsTabSheet, Kind);
        for (int i = 0; i < ComponentCount() && !ofKind; ++i) {
            TComponent* c = Components(i);
            auto* control = dynamic_cast<TControl*>(c);
            ofKind =
                control && IsStoredControl(c) && Inside(control, Kind) && lines.IndexOfName(c->Name()) >= 0;
        }
        if (!ofKind)
            return refuse(GetMsg("SettingsNoKeysError", "В файле нет настроек выбранного вида."), __LINE__);
        std::vector<int> events;
        String reason;
        if (eventsAt >= 0 && !ParseEventsLine(lines.ValueFromIndex(eventsAt), events, reason))
            return refuse(reason, __LINE__);

        std::vector<TControl*> unshown; // controls left holding a value they cannot show
        bool interfaceLines = false;
        for (int i = 0; i < ComponentCount(); ++i) {
            TComponent* c = Components(i);
            if (c == ControlEventsMemTableEh) continue;
            const int at = lines.IndexOfName(c->Name());
            if (at < 0) continue;
            const String value = lines.ValueFromIndex(at);
            auto* control = dynamic_cast<TControl*>(c);
            bool applied = true;
            if (IsExactClass(c, "TEdit")) {
                control->SetText(value);
            } else if (IsExactClass(c, "TLabeledEdit")) {
                if (c->Tag() == 0) {
                    control->SetText(value);
                } else if (c->Tag() == 1) {
                    control->SetText(QStringLiteral("--------"));
                } else if (c->Tag() == -1) {
                    const int v = StrToIntDef(value, 0);
                    const int code = (v >> 8) & 0xFF;
                    const bool held =
                        v >= 0 && v <= 0xFFFF && (code >> 4) < UnitsCount && (code & 0x0F) < RatioCount;
                    UnitsForm->ThresholdRaw = uint8_t(v & 0xFF);
                    // Units the dialog cannot show are left unselected for the user to pick.
                    UnitsForm->SetUnitsCode(held ? uint8_t(code) : uint8_t(0xFF));
                    ShowThreshold();
                    if (held) {
                        if (HoldsUnshownValue(control)) control->SetColor(clBtnFace);
                        ClearUnshownValue(control);
                    } else {
                        MarkUnshownValue(control, v);
                        unshown.push_back(control);
                    }
                } else {
                    applied = false;
                }
            } else if (IsExactClass(c, "TComboBox")) {
                auto* box = static_cast<TComboBox*>(c);
                if (box->Style() == csDropDownList) {
                    // -1 is what a box without selection saves.
                    const int index = StrToIntDef(value, 0);
                    ShowListValue(box, index, index == -1);
                    if (HoldsUnshownValue(box)) unshown.push_back(box);
                } else {
                    box->SetText(value);
                }
                if (c->Tag() == 1 && box->OnChange) box->OnChange(box);
            } else if (IsExactClass(c, "TCheckBox")) {
                static_cast<TCheckBox*>(c)->SetChecked(StrToIntDef(value, 0) != 0);
            } else if (IsExactClass(c, "TListView")) {
                static_cast<TListView*>(c)->Items()->Clear();
                EthFilesSpaceStaticText->SetCaption(String());
                UpdateEthFileButtons();
            } else {
                applied = false;
            }
            if (applied && control && Inside(control, ControlTabSheet)) interfaceLines = true;
        }

        TMemTableEh* table = ControlEventsMemTableEh;
        if (eventsAt >= 0) {
            table->DisableControls();
            table->EmptyTable();
            for (int v : events)
                AppendControlEvent(table, (v >> 8) & 0xFF, v & 0xFF);
            table->First();
            table->EnableControls();
            ControlEventsMemTableEhCheckUpDownDel(table);
        } else if (interfaceLines) {
            // Files of other single blocks carry no events and leave the table alone.
            table->DisableControls();
            table->EmptyTable();
            table->EnableControls();
            ControlEventsMemTableEhCheckUpDownDel(table);
        }

        SetStatusText(0, common);
        const String text = GetMsgFmt("LoadSettings", "Настройки загружены из файла '%s'.", FileName);
        SetStatusText(1, text);
        ShowMsgBox(text, common, MsgBoxInformation, "MainUnit", __LINE__);
        if (!unshown.empty()) {
            // Values the pages cannot hold were not taken; say which pages need the user.
            String pages;
            for (int block = baGasAnalyser; block <= baEthernet; ++block)
                for (TControl* c : unshown)
                    if (Inside(c, MainPageControl->Pages(block))) {
                        pages +=
                            (pages.isEmpty() ? String() : QStringLiteral("\r")) + CheckText(block, false);
                        break;
                    }
            FlagControl(unshown.front());
            ShowMsgBox(pages, common, MsgBoxWarning, "MainUnit", __LINE__);
        }
        return true;
    } catch (const std::exception&) {
        ShowMsgBox(GetMsgFmt("LoadSettinsError", "Ошибка загрузки настроек из файла '%s'!", FileName), common,
                   MsgBoxError, "MainUnit", __LINE__);
        return false;
    }
}
