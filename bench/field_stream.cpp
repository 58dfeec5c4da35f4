// Writing and reading back a message of 100,000 fields of 32 bytes on average.
#include "app/binder/StringMessage.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::string> MakeFields() {
    std::mt19937 engine(42);
    std::uniform_int_distribution<int> size(0, 64); // 32 bytes on average
    std::vector<std::string> fields(100000);
    for (auto& field : fields) {
        field.assign(static_cast<size_t>(size(engine)), 'x');
    }
    return fields;
}

int64_t TotalBytes(const std::vector<std::string>& fields) {
    int64_t total = 0;
    for (const auto& field : fields) {
        total += static_cast<int64_t>(field.size());
    }
    return total;
}

void BM_FieldStreamWrite(benchmark::State& state) {
    const auto fields = MakeFields();
    for (auto _ : state) {
        StringMessageI18N message;
        for (const auto& field : fields) {
            message.AddData(field.data(), field.size());
        }
        benchmark::DoNotOptimize(message.GetBuffer());
    }
    state.SetBytesProcessed(state.iterations() * TotalBytes(fields));
}
BENCHMARK(BM_FieldStreamWrite);

void BM_FieldStreamRead(benchmark::State& state) {
    const auto fields = MakeFields();
    StringMessageI18N written;
    for (const auto& field : fields) {
        written.AddData(field.data(), field.size());
    }
    for (auto _ : state) {
        StringMessageI18N message(written.GetBuffer(), static_cast<size_t>(written.GetLength()));
        int32_t length = 0;
        while (message.ReadData(length) != nullptr) {
            benchmark::DoNotOptimize(length);
        }
    }
    state.SetBytesProcessed(state.iterations() * TotalBytes(fields));
}
BENCHMARK(BM_FieldStreamRead);

} // namespace
