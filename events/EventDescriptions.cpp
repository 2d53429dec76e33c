// Texts that describe an event in the events table.

#include "events/EventEditUnit.h"

#include "lib/lang/LangUnit.h"

String GetConditionText(int Condition) {
    return EventVocabulary().sLEvents[size_t(Condition & 31)];
}

String GetActionText(Byte bt1, Byte bt2) {
    const TEventVocabulary& v = EventVocabulary();
    // A parameter that no action names: the number 0, not a language-file text.
    const String none = QStringLiteral("0");
    const int p = bt2;
    switch (bt1 & 7) {
    case cekState:
        return p < 84 ? v.sHEvents0[size_t(p)] : none;
    case cekControl:
        if (p < 16) return v.sHEvents1[size_t(p)];
        if (p >= 128) return GetMsgFmt("DeviceGotoEvent", "Перейти к событию №%d", (p & 0x7F) + 1);
        switch (p >> 4) {
        case 1:
            return GetMsgFmt("DeviceSetFValue", "Установить значение F = %d", p & 15);
        case 2:
            return GetMsgFmt("DeviceResetFMask", "Сбросить биты F по маске %d", p & 15);
        case 3:
            return GetMsgFmt("DeviceSetFMask", "Установить биты F по маске %d", p & 15);
        case 4:
            return GetMsgFmt("DeviceSkipMsgIfFMask", "Пропустить след.соб.если F = %d", p & 15);
        case 5:
            return GetMsgFmt("DeviceSkipMsgIfAndMask", "Пропустить след.соб.если побит.И (маска %d)", p & 15);
        case 6:
            return GetMsgFmt("DeviceSkipMsgIfOrMask", "Пропустить след.соб.если побит.ИЛИ (маска %d)",
                             p & 15);
        default:
            return GetMsgFmt("DeviceSendValue", "Передать в качестве параметра значение (%d)", p & 15);
        }
    case cekCodeTimer: {
        if (p == 0) return GetMsg("DeviceSendInputCode", "Передать пришедший код");
        if (p < 64) return GetMsgFmt("DeviceAddTimeout", "Добавить задержку передачи %d таймаутов", p);
        const int t = p & 63;
        switch (p >> 6) {
        case 1:
            return t == 0 ? GetMsg("DeviceResetTimer1", "Сбросить таймер1")
                          : GetMsgFmt("DeviceSetTimer1", "Установить таймер1 на %d.%d сек", t / 10, t % 10);
        case 2:
            return t == 0 ? GetMsg("DeviceResetTimer2", "Сбросить таймер2")
                          : GetMsgFmt("DeviceSetTimer2", "Установить таймер2 на %d.%d сек", t / 10, t % 10);
        default:
            return t == 0 ? GetMsg("DeviceResetTimer3", "Сбросить таймер3")
                          : GetMsgFmt("DeviceSetTimer3", "Установить таймер3 на %d.%d сек", t / 10, t % 10);
        }
    }
    case cekSendCode:
        return GetMsgFmt("DeviceSendCode", "Передать код: %d", p);
    case cekSendResult:
        return GetMsgFmt("DeviceSendResult", "Передать {%d + результат}", p);
    case cekSendError:
        return GetMsgFmt("DeviceSendErrorCode", "Передать {%d + код ошибки}", p);
    case cekLockEvent:
        return (p & 0x80) ? GetMsgFmt("DeviceLockEvent", "Заблокировать событие №%d", (p & 0x7F) + 1)
                          : GetMsgFmt("DeviceUnlockEvent", "Разблокировать событие №%d", (p & 0x7F) + 1);
    default: // the Wiegand formula
        if (p >= 1 && p <= 15) return v.sHEvents71[size_t(p - 1)];
        if (p >= 33 && p <= 47) return v.sHEvents733[size_t(p - 33)];
        if (p >= 64 && p <= 127)
            return GetMsgFmt("DeviceShiftAndInsertEvent", "Сместить на %d бит и вставить %d в формулу",
                             ((p >> 4) & 3) + 1, p & 15);
        if (p >= 128 && p <= 139) return v.sHEvents7128[size_t(p - 128)];
        if (p >= 144 && p <= 155) return v.sHEvents7144[size_t(p - 144)];
        if (p >= 160 && p <= 171) return v.sHEvents7160[size_t(p - 160)];
        if (p >= 176 && p <= 187) return v.sHEvents7176[size_t(p - 176)];
        switch (p) {
        case 192:
            return GetMsg("DeviceSendAndFinish", "Передать посылку завершив формулу");
        case 193:
            return GetMsg("DeviceSendParityAndFinish", "Передать посылку с битами четности завершив формулу");
        case 224:
            return GetMsg("DeviceSendAndContinue", "Передать посылку не завершая формулу");
        case 225:
            return GetMsg("DeviceSendParityAndContinue",
                          "Передать посылку с битами четности не завершая формулу");
        }
        return none;
    }
}
