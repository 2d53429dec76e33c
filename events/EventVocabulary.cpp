// The vocabulary of control events: built-in texts and their language-file keys.

#include "events/EventEditUnit.h"

#include "lib/lang/LangUnit.h"

#include <QStringList>

namespace {

TEventVocabulary BuildDefaults() {
    TEventVocabulary v;
    v.sJobs = {
        "Изменить состояние выхода или светодиода",
        "Управление измерением",
        "Передать пришедший код или установить таймер",
        "Передать код",
        "Передать результат измерения",
        "Передать код ошибки",
        "Управление блокировкой событий",
        "Формула для передачи по Wiegand",
    };
    v.sLEvents = {
        "Низкий уровнь на входе 1",
        "Высокий уровень на входе 1",
        "Низкий уровнь на входе 2",
        "Высокий уровень на входе 2",
        "Низкий уровнь на входе 3",
        "Высокий уровень на входе 3",
        "Низкий уровнь на входе 4",
        "Высокий уровень на входе 4",
        "Неисправность",
        "Вход в сервисный режим",
        "Загрузка",
        "Вход в режим ожидания",
        "Измерение начато",
        "Начало анализа концентрации",
        "Результат ниже порога",
        "Результат выше порога",
        "Завершение измерения из-за прерванного выдоха",
        "Завершение измерения из-за отсутствия выдоха",
        "Измерение завершено",
        "Приход кода на вход Wiegand",
        "Совпадение пришедшего кода с 'тестовой' картой",
        "Тревога тамперов",
        "Норма тамперов",
        "Сработал таймер1",
        "Сработал таймер2",
        "Сработал таймер3",
        "Процедура1",
        "Процедура2",
        "Процедура3",
        "Процедура4",
        "Процедура5",
        "Прием параметра",
    };

    int n = 0;
    for (int m = 1; m <= 4; ++m) {
        v.sHEvents0[n++] = "Сбросить выход " + QString::number(m);
        v.sHEvents0[n++] = "Установить выход " + QString::number(m);
    }
    for (const char* s : {"Погасить красный светодиод", "Зажечь красный светодиод",
                          "Погасить зеленый светодиод", "Зажечь зеленый светодиод"})
        v.sHEvents0[n++] = QString::fromUtf8(s);
    // The lock texts name the built-in condition texts; their own keys translate them.
    for (int c = 0; c < 32; ++c) {
        v.sHEvents0[n++] = "Сбросить блок.соб. " + v.sLEvents[c];
        v.sHEvents0[n++] = "Установить блок.соб. " + v.sLEvents[c];
    }
    for (const char* s : {"Сбросить текст", "Установить текст", "Вывести текст 1", "Вывести текст 2",
                          "Сбросить Разреш. Wiegand-выход", "Установить Разреш. Wiegand-выход",
                          "Установить вирт. считыватель 1", "Установить вирт. считыватель 2"})
        v.sHEvents0[n++] = QString::fromUtf8(s);

    v.sHEvents1 = {
        "Остановить измерение",
        "Начать измерение",
        "Запустить Процедуру1",
        "Запустить Процедуру2",
        "Запустить Процедуру3",
        "Запустить Процедуру4",
        "Запустить Процедуру5",
        "Табличный переход по переменной",
        "Выбрать переменную1",
        "Выбрать переменную2",
        "Загрузить состояния входов",
        "Загрузить сосотяния выходов",
        "Инкремент переменной",
        "Декремент переменной",
        "Загрузить параметр и перейти по значению",
        "Завершить обработку условия или процедуры",
    };

    // Formula resets: the events named by bits 2..0, or a card of 0..7 bytes.
    auto resetTarget = [](int n) -> String {
        if (n >= 8) return "Передать карту[" + QString::number(n - 8) + " байт]";
        QStringList parts;
        if (n & 4) parts << "Передать код.";
        if (n & 2) parts << "Передать результат.";
        if (n & 1) parts << "Передать ошибку.";
        return parts.join(u' ');
    };
    for (int i = 0; i < 15; ++i) {
        v.sHEvents71[i] = "Сбросить формулу для событий: " + resetTarget(i + 1);
        v.sHEvents733[i] = "Начать запись формулы для событий: " + resetTarget(i + 1);
    }

    // Formula inserts: digit d of source s.
    auto insertWhat = [](int i) -> String {
        static const char* const digits[4] = {"значение", "единицы", "десятки", "сотни"};
        const int s = i / 4, d = i % 4;
        String t = QString::fromUtf8(digits[d]) + u' ';
        if (s == 0)
            t += "кода или " + QString::number(d) + "-ой байт";
        else if (s == 1)
            t += "аргумента или " + QString::number(4 + d) + "-ой байт";
        else
            t += "суммы кода и аргумента";
        return t;
    };
    for (int i = 0; i < 12; ++i) {
        v.sHEvents7128[i] = "Не смещая вставить в формулу " + insertWhat(i);
        v.sHEvents7144[i] = "Не смещая вставить в формулу бин.доп. " + insertWhat(i);
        v.sHEvents7160[i] = "Сместив вставить в формулу " + insertWhat(i);
        v.sHEvents7176[i] = "Сместив вставить в формулу бин.доп. " + insertWhat(i);
    }
    return v;
}

template <size_t N>
void Translate(std::array<String, N>& table, const std::array<String, N>& defaults, const char* stem) {
    for (size_t i = 0; i < N; ++i)
        table[i] = GetMsg(QString::fromLatin1(stem) + QString::number(i + 1), defaults[i]);
}

std::unique_ptr<TEventVocabulary>& Vocabulary() {
    static std::unique_ptr<TEventVocabulary> v;
    return v;
}

} // namespace

const TEventVocabulary& DefaultEventVocabulary() {
    static const TEventVocabulary defaults = BuildDefaults();
    return defaults;
}

void InitEventVocabulary() {
    if (Vocabulary()) return;
    const TEventVocabulary& d = DefaultEventVocabulary();
    auto v = std::make_unique<TEventVocabulary>();
    Translate(v->sJobs, d.sJobs, "sJobs");
    Translate(v->sLEvents, d.sLEvents, "sLEvents");
    Translate(v->sHEvents0, d.sHEvents0, "sHEvents0_");
    Translate(v->sHEvents1, d.sHEvents1, "sHEvents1_");
    Translate(v->sHEvents71, d.sHEvents71, "sHEvents71_");
    Translate(v->sHEvents733, d.sHEvents733, "sHEvents733_");
    Translate(v->sHEvents7128, d.sHEvents7128, "sHEvents7128_");
    Translate(v->sHEvents7144, d.sHEvents7144, "sHEvents7144_");
    Translate(v->sHEvents7160, d.sHEvents7160, "sHEvents7160_");
    Translate(v->sHEvents7176, d.sHEvents7176, "sHEvents7176_");
    Vocabulary() = std::move(v);
}

void FreeEventVocabulary() {
    Vocabulary().reset();
}

const TEventVocabulary& EventVocabulary() {
    InitEventVocabulary();
    return *Vocabulary();
}
