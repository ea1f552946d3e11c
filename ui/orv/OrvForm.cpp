#include "orv/OrvForm.h"

#include <QLabel>

#include "orv/OrvWording.h"
#include "widgets/FormStyle.h"

namespace vesk::gui {

OrvForm::OrvForm(const std::string& databasePath, TaskForm& masterForm)
    : ReportForm("ORVForm", "ORV Reports", orv::orvReports(), databasePath, masterForm,
                 {"ImportData", "Import Monthly Report from ORV 2.0", twipsRect(240, 240, 6000, 600),
                  twipsRect(6480, 360, 6000, 360), 4320}) {
    enum Style { Title, Heading, Step };
    struct Line {
        const char* name;
        const char* text;
        int top;
        Style style;
    };
    // How to download the two report workbooks from ORV 2.0, as the user follows it.
    const Line lines[] = {
        {"Label9", "Steps to Download ORV Monthly Report", 1020, Title},
        {"Label4", "Divisional Head Login", 1440, Heading},
        {"Label5", "1. Treasury - Monitoring Reports - Accounting Details office-wise", 1740, Step},
        {"Label6", "2.Receipt - VESK Deposit A/c Code (8455000200) - Period (Full Month) - Office (All) -", 2010, Step},
        {"Label7", "3.Payment - VESK Withdrawal A/c Code (8455000300) - Period (Full Month) - Office (All) - ", 2280,
         Step},
        {"Label10", "Generate - Download Excel", 2550, Step},
        {"Label14", "Head Office Login", 2940, Heading},
        {"Label13", "1. Treasury - Reports - Accounting Details", 3240, Step},
        {"Label11", "Generate - Download Excel", 3510, Step},
        {"Label8", "4.Import both files (one by one)", 3840, Heading},
    };
    for (const Line& l : lines) {
        const QFont font = l.style == Title     ? formFont("Lucida Bright", 12, true)
                           : l.style == Heading ? formFont("MS Sans Serif", 10, true)
                                                : formFont("MS Sans Serif", 9);
        QLabel* label =
            makeLabel(this, l.name, l.text, twipsRect(l.style == Step ? 600 : 240, l.top, 14520, 300), font);
        label->setWordWrap(false);
        anchor(label, Left | Top | Right);
    }
    prompter().setFileKind("Orv");
}

}  // namespace vesk::gui
