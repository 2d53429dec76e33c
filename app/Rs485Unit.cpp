// Function names of the RS-485 block's virtual reader.

#include "app/Rs485Unit.h"

#include "lib/lang/LangUnit.h"

#include <vector>

std::array<String, RS485VirtInFuncCount> RS485VirtInFunc;
std::array<String, RS485VirtOutFuncCount> RS485VirtOutFunc;

namespace {

bool Built = false;

// "Нет функции", then each signal followed by its negation; the negated form drops the final
// full stop of the abbreviations.
std::vector<String> BuildNames(const std::vector<String>& Signals) {
    std::vector<String> names{QStringLiteral("Нет функции")};
    for (const String& s : Signals) {
        names.push_back(s);
        String inner = s.endsWith(QLatin1Char('.')) ? s.left(s.size() - 1) : s;
        names.push_back(QStringLiteral("НЕ(") + inner + QStringLiteral(")"));
    }
    return names;
}

std::vector<String> CommonSignals() {
    std::vector<String> s;
    for (int i = 1; i <= 4; ++i)
        s.push_back(QStringLiteral("Выход %1").arg(i));
    for (int i = 1; i <= 4; ++i)
        s.push_back(QStringLiteral("Вход %1").arg(i));
    for (int i = 0; i <= 7; ++i)
        s.push_back(QStringLiteral("Параметр%1").arg(i));
    s.push_back(QStringLiteral("Кр.св."));
    s.push_back(QStringLiteral("Зел.св."));
    return s;
}

} // namespace

void InitRs485Vocabulary() {
    if (Built) return;
    Built = true;
    std::vector<String> in = CommonSignals();
    for (const char* s :
         {"Норм.реж", "Ошибка", "Готов", "Измерение", "Выдох", "Анализ", "НижеПор", "ВышеПор"})
        in.push_back(QString::fromUtf8(s));
    std::vector<String> out = CommonSignals();
    for (const char* s : {"Нач.изм", "Зав.изм", "Нач/Зав.изм", "Блок изм"})
        out.push_back(QString::fromUtf8(s));
    const std::vector<String> inNames = BuildNames(in);
    const std::vector<String> outNames = BuildNames(out);
    // Entry 33 of the input table shares key _33 with entry 32; language files rely on it.
    for (int i = 0; i < RS485VirtInFuncCount; ++i) {
        const int key = i <= 32 ? i + 1 : (i == 33 ? 33 : i);
        RS485VirtInFunc[size_t(i)] =
            GetMsg(QStringLiteral("RS485VirtInFunc_%1").arg(key), inNames[size_t(i)]);
    }
    for (int i = 0; i < RS485VirtOutFuncCount; ++i)
        RS485VirtOutFunc[size_t(i)] =
            GetMsg(QStringLiteral("RS485VirtOutFunc_%1").arg(i + 1), outNames[size_t(i)]);
}

void FreeRs485Vocabulary() {
    for (auto& s : RS485VirtOutFunc)
        s.clear();
    for (auto& s : RS485VirtInFunc)
        s.clear();
    Built = false;
}
