#include "engine/pgf/PGFWriter.h"

PGFWriter::~PGFWriter() = default;
