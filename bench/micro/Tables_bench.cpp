// Saving and loading a data table of 100 x 100 cells as its XML file.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/tables/KVTable.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int kSide = 100;

void fill(KVTable& table)
{
    table.setTableId("bench");
    table.setNumberOfColumns(kSide);
    table.setNumberOfRows(kSide);
    for (int row = 0; row < kSide; ++row)
        for (int column = 0; column < kSide; ++column)
            table.setCellValue(row, column, "cell " + std::to_string(row * kSide + column));
}

void BM_TableSave10000Cells(benchmark::State& state)
{
    TempDir dir;
    KVTable table;
    fill(table);
    const std::string path = dir.file("table.xml");
    for (auto _ : state) {
        if (!table.saveTable(path, false)) {
            state.SkipWithError("saveTable failed");
            break;
        }
    }
}

void BM_TableLoad10000Cells(benchmark::State& state)
{
    TempDir dir;
    const std::string path = dir.file("table.xml");
    {
        KVTable table;
        fill(table);
        if (!table.saveTable(path, false)) {
            state.SkipWithError("saveTable failed");
            return;
        }
    }
    for (auto _ : state) {
        KVTable table;
        if (!table.loadTable(path) || table.numberOfRows() != kSide || table.numberOfColumns() != kSide) {
            state.SkipWithError("loadTable failed");
            break;
        }
    }
}

}  // namespace

BENCHMARK(BM_TableSave10000Cells)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TableLoad10000Cells)->Unit(benchmark::kMillisecond);
