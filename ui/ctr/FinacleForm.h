#pragma once

#include "report/ReportForm.h"

namespace vesk::gui {

/// "VESK Finacle Report": imports the bank's monthly CTR report, shows it month by month
/// and deletes a month.
class FinacleForm : public ReportForm {
    Q_OBJECT
  public:
    FinacleForm(const std::string& databasePath, TaskForm& masterForm);
};

}  // namespace vesk::gui
