#include "ctr/FinacleForm.h"

#include <QLabel>

#include "ctr/BankWording.h"
#include "widgets/FormStyle.h"

namespace vesk::gui {

FinacleForm::FinacleForm(const std::string& databasePath, TaskForm& masterForm)
    : ReportForm("Finacleform", "VESK Finacle Report", ctr::bankCtr(), databasePath, masterForm,
                 {"ImportFinacle", "Import  CTR Monthly Report from VESK Finacle", twipsRect(240, 1320, 6600, 600),
                  twipsRect(7080, 1440, 6000, 360), 2280}) {
    auto* title = makeLabel(this, "Label4", "VESK Finacle CTR Monthly Report", twipsRect(240, 120, 14880, 540),
                            formFont("Lucida Bright", 18, true));
    title->setAlignment(Qt::AlignCenter);
    auto* source = makeLabel(this, "Label5", "Get Monthly CTR Report from the VESK Branch",
                             twipsRect(240, 720, 14880, 420), formFont("Monotype Corsiva", 14, true));
    source->setAlignment(Qt::AlignCenter);
    anchor(title, Left | Top | Right);
    anchor(source, Left | Top | Right);
    prompter().setFileKind("BankCtr");
}

}  // namespace vesk::gui
