// Runtime costs against plain C++: Variant comparison vs std::variant, FloatToStr vs
// std::to_chars with the same 15 significant digits, Format vs snprintf. Prints the ratio of each pair after
// the run.
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variant.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <variant>

namespace {

using StdVar = std::variant<int64_t, double, std::string>;
constexpr size_t N = 1024;

struct Data {
    std::vector<Variant> VInts, VDoubles, VStrings;
    std::vector<StdVar> SInts, SDoubles, SStrings;
    std::vector<double> Doubles;
    Data() {
        std::mt19937 rng(42);
        std::uniform_int_distribution<int> small(0, 50);
        std::uniform_real_distribution<double> real(-1000, 1000);
        static const char* words[] = {"alpha",  "beta", "gamma", "delta", "epsilon",
                                      "zeta",   "eta",  "theta", "iota",  "kappa",
                                      "lambda", "mu",   "nu",    "xi",    "omicron"};
        for (size_t i = 0; i < N; ++i) {
            int n = small(rng);
            double d = real(rng);
            std::string s = std::string(words[n % 15]) + std::to_string(n % 4);
            VInts.emplace_back(n);
            SInts.emplace_back(int64_t(n));
            VDoubles.emplace_back(d);
            SDoubles.emplace_back(d);
            VStrings.emplace_back(String::fromStdString(s));
            SStrings.emplace_back(s);
            Doubles.push_back(d);
        }
    }
};

const Data& data() {
    static const Data d;
    return d;
}

template <class V, class Op> void Compare(benchmark::State& state, const std::vector<V>& values, Op op) {
    size_t hits = 0;
    for (auto _ : state) {
        for (size_t i = 0; i + 1 < N; ++i)
            hits += op(values[i], values[i + 1]);
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * (N - 1));
}

auto eq = [](const auto& a, const auto& b) { return a == b; };
auto lt = [](const auto& a, const auto& b) { return a < b; };

void Variant_EqInt(benchmark::State& s) {
    Compare(s, data().VInts, eq);
}
void Std_EqInt(benchmark::State& s) {
    Compare(s, data().SInts, eq);
}
void Variant_LtInt(benchmark::State& s) {
    Compare(s, data().VInts, lt);
}
void Std_LtInt(benchmark::State& s) {
    Compare(s, data().SInts, lt);
}
void Variant_EqDouble(benchmark::State& s) {
    Compare(s, data().VDoubles, eq);
}
void Std_EqDouble(benchmark::State& s) {
    Compare(s, data().SDoubles, eq);
}
void Variant_LtDouble(benchmark::State& s) {
    Compare(s, data().VDoubles, lt);
}
void Std_LtDouble(benchmark::State& s) {
    Compare(s, data().SDoubles, lt);
}
void Variant_EqString(benchmark::State& s) {
    Compare(s, data().VStrings, eq);
}
void Std_EqString(benchmark::State& s) {
    Compare(s, data().SStrings, eq);
}
void Variant_LtString(benchmark::State& s) {
    Compare(s, data().VStrings, lt);
}
void Std_LtString(benchmark::State& s) {
    Compare(s, data().SStrings, lt);
}

void Variant_Copy(benchmark::State& state) {
    const auto& v = data().VDoubles;
    for (auto _ : state) {
        std::vector<Variant> copy(v);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * N);
}
void Std_Copy(benchmark::State& state) {
    const auto& v = data().SDoubles;
    for (auto _ : state) {
        std::vector<StdVar> copy(v);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * N);
}

void Rtl_FloatToStr(benchmark::State& state) {
    size_t i = 0;
    for (auto _ : state) {
        String s = FloatToStr(data().Doubles[i++ % N]);
        benchmark::DoNotOptimize(s);
    }
}
void Std_FloatToChars15(benchmark::State& state) {
    size_t i = 0;
    char buf[32];
    for (auto _ : state) {
        // 15 significant digits, as FloatToStr
        auto r =
            std::to_chars(buf, buf + sizeof buf, data().Doubles[i++ % N], std::chars_format::general, 15);
        benchmark::DoNotOptimize(r.ptr);
        benchmark::DoNotOptimize(buf);
    }
}

void Rtl_Format(benchmark::State& state) {
    size_t i = 0;
    const String fmt = QStringLiteral("%d %s %.2f"), word = QStringLiteral("value");
    for (auto _ : state) {
        String s = Format(fmt, {int(i), word, data().Doubles[i % N]});
        ++i;
        benchmark::DoNotOptimize(s);
    }
}
void Std_Snprintf(benchmark::State& state) {
    size_t i = 0;
    char buf[64];
    for (auto _ : state) {
        int n = std::snprintf(buf, sizeof buf, "%d %s %.2f", int(i), "value", data().Doubles[i % N]);
        ++i;
        benchmark::DoNotOptimize(n);
        benchmark::DoNotOptimize(buf);
    }
}

BENCHMARK(Variant_EqInt);
BENCHMARK(Std_EqInt);
BENCHMARK(Variant_LtInt);
BENCHMARK(Std_LtInt);
BENCHMARK(Variant_EqDouble);
BENCHMARK(Std_EqDouble);
BENCHMARK(Variant_LtDouble);
BENCHMARK(Std_LtDouble);
BENCHMARK(Variant_EqString);
BENCHMARK(Std_EqString);
BENCHMARK(Variant_LtString);
BENCHMARK(Std_LtString);
BENCHMARK(Variant_Copy);
BENCHMARK(Std_Copy);
BENCHMARK(Rtl_FloatToStr);
BENCHMARK(Std_FloatToChars15);
BENCHMARK(Rtl_Format);
BENCHMARK(Std_Snprintf);

// Collects the time per iteration of each run to print the pairs' ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration) Times[r.benchmark_name()] = r.GetAdjustedCPUTime();
    }
    std::map<std::string, double> Times;
};

} // namespace

int main(int argc, char** argv) {
    SetFormatSettings(TFormatSettings::Create("en_US"));
    SetCollationLocale("en_US");
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const std::pair<const char*, const char*> pairs[] = {
        {"Variant_EqInt", "Std_EqInt"},       {"Variant_LtInt", "Std_LtInt"},
        {"Variant_EqDouble", "Std_EqDouble"}, {"Variant_LtDouble", "Std_LtDouble"},
        {"Variant_EqString", "Std_EqString"}, {"Variant_LtString", "Std_LtString"},
        {"Variant_Copy", "Std_Copy"},         {"Rtl_FloatToStr", "Std_FloatToChars15"},
        {"Rtl_Format", "Std_Snprintf"},
    };
    std::printf("\n%-20s %-20s %8s\n", "ours", "baseline", "ratio");
    for (const auto& [ours, base] : pairs) {
        auto a = reporter.Times.find(ours), b = reporter.Times.find(base);
        if (a != reporter.Times.end() && b != reporter.Times.end() && b->second > 0)
            std::printf("%-20s %-20s %8.2fx\n", ours, base, a->second / b->second);
    }
    benchmark::Shutdown();
    return 0;
}
