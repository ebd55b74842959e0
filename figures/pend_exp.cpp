#include "app/main_form.h"

void MainForm::cmd_pend_exp_Click()
{
    // Starting a running timer again would only restart its interval.
    if (!tmr_pend_exp.isActive())
        tmr_pend_exp.start();
}

void MainForm::tmr_pend_exp_Timer()
{
    platform_.beep();
    const float r = platform_.nextRandom();
    ui.Picture1->circle(500, 500, r * 500);
}
