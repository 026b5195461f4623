// What an export writes for a chosen path and type. The extension and the type agree:
// ".xlsx" is always the workbook; ".csv" comma-separated text, UTF-16 when a UTF-16 type was
// chosen (1 or 3), else UTF-8; ".txt" and ".xls" tab-separated UTF-16 text whatever the type;
// any other extension, or none, gets the type's own appended (the workbook ".xlsx", the
// comma types ".csv", the tab type ".txt"). So no comma-separated file is named ".pdf" and no
// file chosen as tab text holds commas.
#pragma once
#include "common/XString.h"
#include "grid/DelimitedText.h"

namespace ClosedFund {

// The workbook's type number; 1 to 3 stay the text types they always were (ExportFilter),
// and 0 lets the name decide (the workbook for a name the rules above do not know).
const int EXPORT_WORKBOOK = 4;
// The type the dialog preselects until the user chose another.
const int kDefaultExportType = EXPORT_WORKBOOK;
// The type of the last export, kept beside its folder (kExportFolderKey) in the user
// configuration: the number as text.
extern const char* const kExportTypeKey;

struct ExportTarget {
    Common::XStringW path; // the path written: the chosen one, or it with an extension appended
    bool workbook = false;
    ExportFormat text; // separator and encoding of a text file
};

ExportTarget exportTargetFor(const Common::XStringW& path, int type);

// The save dialog lists the workbook first, then the three text types in their old order;
// its entries count from 1. An index or type outside the list gives the default type.
int exportTypeOfDialogIndex(unsigned long index);
unsigned long dialogIndexOfExportType(int type);
// The dialog's filter list (pairs of label and pattern, ending in an empty string) and the
// extension, without its point, that the dialog adds for a type.
extern const wchar_t kExportDialogFilters[];
const wchar_t* exportTypeExtension(int type);

} // namespace ClosedFund
