// The interface shared by the XML and JSON document writers: scripts drive
// either one with the same start/end calls.
#pragma once

class PGFWriter {
public:
    PGFWriter() = default;
    PGFWriter(const PGFWriter&) = delete;
    PGFWriter& operator=(const PGFWriter&) = delete;
    // Destroying a writer finishes its output (a file form completes its file).
    virtual ~PGFWriter();

    virtual int startDocument() = 0;
    virtual int endDocument() = 0;
    virtual int startElement(const char* name) = 0;
    virtual int endElement() = 0;
    virtual int writeAttribute(const char* name, const char* value) = 0;
    virtual int writeTextValue(const char* text) = 0;
    // The text written so far, or null when the writer keeps no copy.
    virtual const char* getString() = 0;

    // Marks a writer the script let go without closing it: its destructor
    // then completes the file only if no one replaced it meanwhile.
    void abandon() { abandoned_ = true; }

protected:
    bool abandoned() const { return abandoned_; }

private:
    bool abandoned_ = false;
};
