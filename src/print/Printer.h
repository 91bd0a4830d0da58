#pragma once

#include "print/PageSurface.h"

#include <QString>

namespace lumeye::print {

// What ending a document found out of the printing system.
enum class Handover {
    Accepted,    // taken (also where no document was open: nothing to hand over)
    Unconfirmed, // handed over, and whether it was taken could not be read
};

// The default-printer object: printing text opens a document and its first
// page, hDC gives that page, EndDoc hands the document to the spooler. Each
// call throws a lumeye::Error when the printer fails. A document still open
// when the object goes away is ended then.
class Printer {
public:
    virtual ~Printer() = default;
    // Prints a line of text at the current print position (at first the top
    // left of the printable area), opening the document when none is open.
    virtual void Print(const QString& text) = 0;
    // The page of the open document (opening one when none is open).
    virtual PageSurface& hDC() = 0;
    // Ends the open document and hands it over; nothing when none is open.
    virtual Handover EndDoc() = 0;
};

}  // namespace lumeye::print
