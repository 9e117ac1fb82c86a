// Fuzz target for comma-separated import. Whatever is imported is exported
// and imported again and must give the same cells.
//
// Build and run (from the repository root):
//   clang++-14 -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -I. \
//     -o /tmp/tables_csv_fuzz fuzz/tables_csv_fuzz.cpp \
//     $(ls engine/tables/*.cpp | grep -v wrap_) -lexpat
//   mkdir -p /tmp/tables_csv_corpus
//   /tmp/tables_csv_fuzz -max_total_time=300 /tmp/tables_csv_corpus
#include <cstdint>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "engine/tables/KVTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    KVTable table;
    table.importCSV(input);
    if (table.numberOfRows() < 1 || table.numberOfColumns() < 1)
        std::abort();

    const std::string path = "/tmp/tables_csv_fuzz." + std::to_string(getpid()) + ".csv";
    if (!table.exportCSV(path))
        std::abort();
    KVTable back;
    if (!back.loadCSV(path))
        std::abort();
    if (back.numberOfRows() != table.numberOfRows() || back.numberOfColumns() != table.numberOfColumns())
        std::abort();
    for (int r = 0; r < table.numberOfRows(); ++r) {
        for (int c = 0; c < table.numberOfColumns(); ++c) {
            std::string expected = table.cellValue(r, c);
            if (expected == " ")
                expected.clear();  // exported as the column's default, which is empty here
            if (back.cellValue(r, c) != expected)
                std::abort();
        }
    }
    return 0;
}
