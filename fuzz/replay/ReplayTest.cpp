// Replays every fuzz target's seed corpus and the bad-input fixtures through the fuzz entry
// points, so that what the fuzzers found stays fixed without running them.

#include "fuzz/FuzzEntries.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// The fuzz target each fixture is fed to, by its name's prefix.
const char* TargetOfFixture(const QString& Name) {
    static const std::pair<const char*, const char*> prefixes[] = {
        {"memtable-", "memtable"}, {"filter-", "filter"}, {"ini-", "ini"},         {"numbers-", "numbers"},
        {"settings-", "settings"}, {"link-", "device"},   {"streams-", "streams"}, {"language-", "language"},
    };
    for (const auto& [prefix, target] : prefixes)
        if (Name.startsWith(QLatin1String(prefix))) return target;
    return nullptr;
}

QByteArray ReadFile(const QString& Path) {
    QFile f(Path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << Path.toStdString();
    return f.readAll();
}

void Feed(const kvt_fuzz::Target& Target, const QString& Path) {
    const QByteArray bytes = ReadFile(Path);
    try {
        Target.Run(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    } catch (const kvt_fuzz::CheckFailed& e) {
        ADD_FAILURE() << Target.Name << " " << Path.toStdString() << ": " << e.what();
    } catch (const std::exception& e) {
        ADD_FAILURE() << Target.Name << " " << Path.toStdString() << ": unexpected exception: " << e.what();
    }
}

class Replay : public ::testing::TestWithParam<std::string> {
protected:
    static void SetUpTestSuite() { kvt_fuzz::Init(); }
};

TEST_P(Replay, SeedCorpusAndFixtures) {
    const kvt_fuzz::Target* target = kvt_fuzz::FindTarget(GetParam());
    ASSERT_NE(target, nullptr);
    const QDir corpus(QStringLiteral(KVT_FUZZ_CORPUS "/") + QString::fromStdString(GetParam()));
    const QStringList seeds = corpus.entryList(QDir::Files, QDir::Name);
    EXPECT_FALSE(seeds.isEmpty()) << "no seeds in " << corpus.path().toStdString();
    for (const QString& name : seeds)
        Feed(*target, corpus.filePath(name));
    const QDir fixtures(QStringLiteral(KVT_TEST_DATA "/bad-input"));
    for (const QString& name : fixtures.entryList(QDir::Files, QDir::Name))
        if (const char* t = TargetOfFixture(name); t && GetParam() == t)
            Feed(*target, fixtures.filePath(name));
}

std::vector<std::string> TargetNames() {
    std::vector<std::string> names;
    for (const auto& t : kvt_fuzz::Targets())
        names.emplace_back(t.Name);
    return names;
}

INSTANTIATE_TEST_SUITE_P(Fuzz, Replay, ::testing::ValuesIn(TargetNames()),
                         [](const ::testing::TestParamInfo<std::string>& i) { return i.param; });

} // namespace
