// Fuzz target for the table file reader. Every input that loads is written
// back, and the written text must load again and write back identically.
//
// Build and run (from the repository root):
//   clang++-14 -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -I. \
//     -o /tmp/tables_xml_fuzz fuzz/tables_xml_fuzz.cpp \
//     $(ls engine/tables/*.cpp | grep -v wrap_) -lexpat
//   mkdir -p /tmp/tables_xml_corpus && cp tests/data/tables/*.xml /tmp/tables_xml_corpus/
//   /tmp/tables_xml_fuzz -close_fd_mask=1 -max_total_time=300 /tmp/tables_xml_corpus
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "engine/tables/KVTable.h"
#include "engine/tables/TableUtil.h"
#include "engine/tables/TablesXML.h"

namespace {

std::string scratchPath()
{
    return "/tmp/tables_xml_fuzz." + std::to_string(getpid()) + ".xml";
}

bool loadText(KVTable& table, const std::string& text)
{
    std::string error;
    if (!TableUtil::writeFileAtomically(scratchPath(), text, error))
        std::abort();
    return table.loadTable(scratchPath());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);

    TablesXML parser;
    bool parsed = parser.initWithBuffer(input.data(), static_cast<int>(input.size()));

    KVTable table;
    table.setCellValue(0, 0, "before");
    bool loaded = loadText(table, input);
    if (parsed != loaded)
        std::abort();
    if (!loaded) {
        if (table.cellValue(0, 0) != "before" || table.numberOfRows() != 1)
            std::abort();  // a failed load must leave the table alone
        return 0;
    }

    const std::string first = table.getFileStream();
    KVTable again;
    if (!loadText(again, first))
        std::abort();
    if (again.getFileStream() != first)
        std::abort();

    // Edits on whatever shape the file gave must stay within bounds.
    if (table.numberOfRows() > 0) {
        table.addRowAtIndex(0);
        table.removeRowAtIndex(table.numberOfRows() - 1);
    }
    table.getFileStreamJSON();
    return 0;
}
