#include "engine/scenegraph/ports/SGStringPort.h"

#include <locale>
#include <sstream>

std::string SGStringPort::stringValue()
{
    if (SGPort* src = source())
        return src->stringValue();
    updateOwner();
    return value_;
}

// Stream extraction: leading white space skipped, the longest valid prefix
// used, and 0 when nothing parses.
float SGStringPort::numberValue()
{
    std::istringstream in(stringValue());
    in.imbue(std::locale::classic());
    float number = 0.0f;
    in >> number;
    return number;
}

int SGStringPort::intValue()
{
    std::istringstream in(stringValue());
    in.imbue(std::locale::classic());
    int number = 0;
    in >> number;
    return number;
}

// Only an integer that reads as 1 is true: "true" is not recognised.
bool SGStringPort::boolValue()
{
    std::istringstream in(stringValue());
    in.imbue(std::locale::classic());
    long number = 0;
    return (in >> number) && number == 1;
}

void SGStringPort::setValue(const std::string& value)
{
    value_ = value;
    markAsDirty();
}
