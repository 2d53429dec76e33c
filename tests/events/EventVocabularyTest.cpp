#include "events/EventEditUnit.h"

#include "lib/lang/LangUnit.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

namespace {

// A private language directory; the message list and the vocabulary are built afresh.
class VocabularyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        SetLanguageDir(Dir.path());
        FreeLanguage();
        FreeEventVocabulary();
    }
    void TearDown() override {
        FreeEventVocabulary();
        FreeLanguage();
        SetLanguageDir(String());
    }
    void WriteLanguage(const char* text) {
        QFile f(Dir.filePath("SetupKvt.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QTemporaryDir Dir;
};

TEST(EventVocabularyDefaults, GeneratedEntries) {
    const TEventVocabulary& d = DefaultEventVocabulary();
    EXPECT_EQ(d.sJobs[0], "Изменить состояние выхода или светодиода");
    EXPECT_EQ(d.sJobs[7], "Формула для передачи по Wiegand");
    EXPECT_EQ(d.sLEvents[0], "Низкий уровнь на входе 1");
    EXPECT_EQ(d.sLEvents[20], "Совпадение пришедшего кода с 'тестовой' картой");
    EXPECT_EQ(d.sLEvents[31], "Прием параметра");
    const std::pair<int, const char*> state[] = {
        {0, "Сбросить выход 1"},
        {1, "Установить выход 1"},
        {7, "Установить выход 4"},
        {8, "Погасить красный светодиод"},
        {11, "Зажечь зеленый светодиод"},
        {12, "Сбросить блок.соб. Низкий уровнь на входе 1"},
        {13, "Установить блок.соб. Низкий уровнь на входе 1"},
        {75, "Установить блок.соб. Прием параметра"},
        {76, "Сбросить текст"},
        {83, "Установить вирт. считыватель 2"},
    };
    for (auto [i, text] : state)
        EXPECT_EQ(d.sHEvents0[size_t(i)], QString::fromUtf8(text)) << i;
    EXPECT_EQ(d.sHEvents1[11], "Загрузить сосотяния выходов");
    EXPECT_EQ(d.sHEvents1[15], "Завершить обработку условия или процедуры");
    EXPECT_EQ(d.sHEvents71[0], "Сбросить формулу для событий: Передать ошибку.");
    EXPECT_EQ(d.sHEvents71[2], "Сбросить формулу для событий: Передать результат. Передать ошибку.");
    EXPECT_EQ(d.sHEvents71[6],
              "Сбросить формулу для событий: Передать код. Передать результат. Передать ошибку.");
    EXPECT_EQ(d.sHEvents71[7], "Сбросить формулу для событий: Передать карту[0 байт]");
    EXPECT_EQ(d.sHEvents733[3], "Начать запись формулы для событий: Передать код.");
    EXPECT_EQ(d.sHEvents733[14], "Начать запись формулы для событий: Передать карту[7 байт]");
    EXPECT_EQ(d.sHEvents7128[0], "Не смещая вставить в формулу значение кода или 0-ой байт");
    EXPECT_EQ(d.sHEvents7144[5], "Не смещая вставить в формулу бин.доп. единицы аргумента или 5-ой байт");
    EXPECT_EQ(d.sHEvents7160[3], "Сместив вставить в формулу сотни кода или 3-ой байт");
    EXPECT_EQ(d.sHEvents7176[11], "Сместив вставить в формулу бин.доп. сотни суммы кода и аргумента");
    for (const String& s : d.sHEvents0)
        EXPECT_FALSE(s.isEmpty());
}

template <size_t N> void ExpectSame(const std::array<String, N>& a, const std::array<String, N>& b) {
    for (size_t i = 0; i < N; ++i)
        EXPECT_EQ(a[i], b[i]) << i;
}

TEST_F(VocabularyTest, WithoutLanguageFileEveryEntryIsItsDefault) {
    const TEventVocabulary& v = EventVocabulary();
    const TEventVocabulary& d = DefaultEventVocabulary();
    ExpectSame(v.sJobs, d.sJobs);
    ExpectSame(v.sLEvents, d.sLEvents);
    ExpectSame(v.sHEvents0, d.sHEvents0);
    ExpectSame(v.sHEvents1, d.sHEvents1);
    ExpectSame(v.sHEvents71, d.sHEvents71);
    ExpectSame(v.sHEvents733, d.sHEvents733);
    ExpectSame(v.sHEvents7128, d.sHEvents7128);
    ExpectSame(v.sHEvents7144, d.sHEvents7144);
    ExpectSame(v.sHEvents7160, d.sHEvents7160);
    ExpectSame(v.sHEvents7176, d.sHEvents7176);
}

TEST_F(VocabularyTest, LanguageFileKeysAndNoRebuild) {
    WriteLanguage("[Msg]\n"
                  "sJobs8=Wiegand formula\n"
                  "sLEvents1=Input 1 low\n"
                  "sHEvents0_14=Set lock: input 1 low\n"
                  "sHEvents0_84=Virtual reader 2\n"
                  "sHEvents1_1=Stop\n"
                  "sHEvents71_15=Reset card 7\n"
                  "sHEvents733_1=\n"
                  "sHEvents7128_1=Insert code\n"
                  "sHEvents7176_12=Insert sum\n");
    const TEventVocabulary& v = EventVocabulary();
    const TEventVocabulary& d = DefaultEventVocabulary();
    EXPECT_EQ(v.sJobs[7], "Wiegand formula");
    EXPECT_EQ(v.sLEvents[0], "Input 1 low");
    // The lock texts are built from the built-in condition text, not its translation.
    EXPECT_EQ(v.sHEvents0[12], d.sHEvents0[12]);
    EXPECT_EQ(v.sHEvents0[13], "Set lock: input 1 low");
    EXPECT_EQ(v.sHEvents0[83], "Virtual reader 2");
    EXPECT_EQ(v.sHEvents1[0], "Stop");
    EXPECT_EQ(v.sHEvents71[14], "Reset card 7");
    EXPECT_EQ(v.sHEvents733[0], d.sHEvents733[0]); // empty value
    EXPECT_EQ(v.sHEvents7128[0], "Insert code");
    EXPECT_EQ(v.sHEvents7176[11], "Insert sum");
    EXPECT_EQ(GetConditionText(0), "Input 1 low");
    EXPECT_EQ(GetActionText(0x07, 15), "Reset card 7");

    // Built once: a changed file shows only after the vocabulary is built again.
    WriteLanguage("[Msg]\nsLEvents1=Changed\n");
    LoadLanguage("SetupKvt.ini");
    InitEventVocabulary();
    EXPECT_EQ(EventVocabulary().sLEvents[0], "Input 1 low");
    FreeEventVocabulary();
    EXPECT_EQ(EventVocabulary().sLEvents[0], "Changed");
}

TEST(ControlEventTest, Encoding) {
    ControlEvent e{0xFF, 0};
    EXPECT_EQ(e.Condition(), 31);
    EXPECT_EQ(e.Kind(), 7);
    EXPECT_EQ(ControlEvent::Make(31, 7, 5), (ControlEvent{0xFF, 5}));
    EXPECT_EQ(ControlEvent::Make(2, 6, 0x80), (ControlEvent{0x16, 0x80}));
}

TEST_F(VocabularyTest, DescriptionsWithBuiltInTexts) {
    struct Case {
        int bt1, bt2;
        const char* Text;
    };
    const Case cases[] = {
        {0x00, 0x00, "Сбросить выход 1"},
        {0x00, 83, "Установить вирт. считыватель 2"},
        {0x00, 84, "0"},
        {0x00, 255, "0"},
        {0x01, 0x00, "Остановить измерение"},
        {0x01, 0x0F, "Завершить обработку условия или процедуры"},
        {0x01, 0x1F, "Установить значение F = 15"},
        {0x01, 0x20, "Сбросить биты F по маске 0"},
        {0x01, 0x35, "Установить биты F по маске 5"},
        {0x01, 0x47, "Пропустить след.соб.если F = 7"},
        {0x01, 0x5A, "Пропустить след.соб.если побит.И (маска 10)"},
        {0x01, 0x6C, "Пропустить след.соб.если побит.ИЛИ (маска 12)"},
        {0x01, 0x7F, "Передать в качестве параметра значение (15)"},
        {0x01, 0x80, "Перейти к событию №1"},
        {0x01, 0x85, "Перейти к событию №6"},
        {0x01, 0xFF, "Перейти к событию №128"},
        {0x02, 0, "Передать пришедший код"},
        {0x02, 1, "Добавить задержку передачи 1 таймаутов"},
        {0x02, 63, "Добавить задержку передачи 63 таймаутов"},
        {0x02, 64, "Сбросить таймер1"},
        {0x02, 0x41, "Установить таймер1 на 0.1 сек"},
        {0x02, 0x7F, "Установить таймер1 на 6.3 сек"},
        {0x02, 128, "Сбросить таймер2"},
        {0x02, 138, "Установить таймер2 на 1.0 сек"},
        {0x02, 192, "Сбросить таймер3"},
        {0x02, 255, "Установить таймер3 на 6.3 сек"},
        {0x03, 255, "Передать код: 255"},
        {0x04, 0, "Передать {0 + результат}"},
        {0x05, 17, "Передать {17 + код ошибки}"},
        {0x06, 0x00, "Разблокировать событие №1"},
        {0x06, 0x7F, "Разблокировать событие №128"},
        {0x06, 0x80, "Заблокировать событие №1"},
        {0x06, 0xFF, "Заблокировать событие №128"},
        {0x07, 0, "0"},
        {0x07, 1, "Сбросить формулу для событий: Передать ошибку."},
        {0x07, 15, "Сбросить формулу для событий: Передать карту[7 байт]"},
        {0x07, 0x20, "0"},
        {0x07, 33, "Начать запись формулы для событий: Передать ошибку."},
        {0x07, 0x55, "Сместить на 2 бит и вставить 5 в формулу"},
        {0x07, 0x7F, "Сместить на 4 бит и вставить 15 в формулу"},
        {0x07, 128, "Не смещая вставить в формулу значение кода или 0-ой байт"},
        {0x07, 149, "Не смещая вставить в формулу бин.доп. единицы аргумента или 5-ой байт"},
        {0x07, 187, "Сместив вставить в формулу бин.доп. сотни суммы кода и аргумента"},
        {0x07, 192, "Передать посылку завершив формулу"},
        {0x07, 193, "Передать посылку с битами четности завершив формулу"},
        {0x07, 0xC2, "0"},
        {0x07, 224, "Передать посылку не завершая формулу"},
        {0x07, 225, "Передать посылку с битами четности не завершая формулу"},
        // The condition bits do not matter.
        {0xFE, 0x80, "Заблокировать событие №1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetActionText(Byte(c.bt1), Byte(c.bt2)), QString::fromUtf8(c.Text))
            << c.bt1 << "," << c.bt2;
    EXPECT_EQ(GetConditionText(0), "Низкий уровнь на входе 1");
    EXPECT_EQ(GetConditionText(31), "Прием параметра");
    EXPECT_EQ(GetConditionText(33), "Высокий уровень на входе 1");
}

TEST_F(VocabularyTest, EveryPairIsDescribedAndOnlyUnnamedFormulaStepsFallBack) {
    // The formula parameters that name no step.
    std::set<int> unnamed{0, 226, 227};
    for (int p = 16; p <= 32; ++p)
        unnamed.insert(p);
    for (int p = 48; p <= 63; ++p)
        unnamed.insert(p);
    for (int first : {140, 156, 172, 188})
        for (int p = first; p < first + 4; ++p)
            unnamed.insert(p);
    for (int p = 194; p <= 223; ++p)
        unnamed.insert(p);
    for (int p = 228; p <= 255; ++p)
        unnamed.insert(p);

    for (int bt1 = 0; bt1 < 256; ++bt1) {
        EXPECT_FALSE(GetConditionText(bt1 >> 3).isEmpty());
        for (int bt2 = 0; bt2 < 256; ++bt2) {
            String text = GetActionText(Byte(bt1), Byte(bt2));
            ASSERT_FALSE(text.isEmpty()) << bt1 << "," << bt2;
            bool fallback = (bt1 & 7) == 0 ? bt2 >= 84 : (bt1 & 7) == 7 && unnamed.count(bt2);
            ASSERT_EQ(text == "0", fallback) << bt1 << "," << bt2;
        }
    }
}

TEST_F(VocabularyTest, DescriptionsThroughTheLanguageFile) {
    WriteLanguage("[Msg]\n"
                  "DeviceGotoEvent=Go to event %d\n"
                  "DeviceSetTimer2=Timer 2: %d.%d s\n"
                  "DeviceSendInputCode=Pass the code\n"
                  "DeviceSendCode=Send %s\n"         // takes text where a number is passed
                  "DeviceLockEvent=Lock %d and %d\n" // one argument too many
                  "DeviceSendAndFinish=\n");
    EXPECT_EQ(GetActionText(0x01, 0x85), "Go to event 6");
    EXPECT_EQ(GetActionText(0x02, 0x8F), "Timer 2: 1.5 s");
    EXPECT_EQ(GetActionText(0x02, 0), "Pass the code");
    EXPECT_EQ(GetActionText(0x03, 7), "Передать код: 7");
    EXPECT_EQ(GetActionText(0x06, 0x80), "Заблокировать событие №1");
    EXPECT_EQ(GetActionText(0x07, 192), "Передать посылку завершив формулу");
    EXPECT_EQ(GetActionText(0x07, 0x20), "0");
}

} // namespace
