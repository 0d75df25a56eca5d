#pragma once

#include "ui/ComCtrls.h"
#include "ui/Forms.h"

namespace brevlo::app {

// The transfer's progress window: the file in hand, a bar and Stop.
class TTransferForm : public ui::TForm {
  BREVLO_CLASS(TTransferForm, ui::TForm)
 public:
  explicit TTransferForm(ui::TComponent* owner);
  ui::TLabel* Label1;
  ui::TLabel* labSource;
  ui::TLabel* Label2;
  ui::TLabel* labDestination;
  ui::TProgressBar* pgb1;
  ui::TButton* Button1;
};

extern TTransferForm* TransferForm;

}  // namespace brevlo::app
