#pragma once

#include "report/ReportForm.h"

namespace vesk::gui {

/// "ORV Reports": imports ORV 2.0's monthly receipts and payments reports, shows them
/// month by month and deletes a month.
class OrvForm : public ReportForm {
    Q_OBJECT
  public:
    OrvForm(const std::string& databasePath, TaskForm& masterForm);
};

}  // namespace vesk::gui
