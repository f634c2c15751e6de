#pragma once

#include "resources/dialog_template.h"

// Resource ids of the dialogs.
enum DialogId : int {
    IDD_MAIN_DIALOG = 102,
    IDD_IO_PAGE = 130,
    IDD_CMD_DIALOG = 135,
    IDD_UART_PAGE = 280,
    IDD_LORA_PAGE = 281,
    IDD_LRWAN_PAGE = 282,
    IDD_COMOPT_DIALOG = 283,
    IDD_SYSTEM_PAGE = 289,
    IDD_UPGRADE_DIALOG = 290,
    IDD_WAIT_DIALOG = 291,
    IDD_CLAA_PAGE = 292,
};

// One template per dialog, each defined in its own resources/*_template.cpp.
// A dialog class names its template object directly, so a template is linked
// in exactly when its dialog is.
extern const DialogTemplate g_mainDialogTemplate;     // 102
extern const DialogTemplate g_ioPageTemplate;         // 130
extern const DialogTemplate g_cmdDialogTemplate;      // 135
extern const DialogTemplate g_uartPageTemplate;       // 280
extern const DialogTemplate g_loraPageTemplate;       // 281
extern const DialogTemplate g_lrwanPageTemplate;      // 282
extern const DialogTemplate g_comOptionTemplate;      // 283
extern const DialogTemplate g_systemPageTemplate;     // 289
extern const DialogTemplate g_upgradeDialogTemplate;  // 290
extern const DialogTemplate g_waitDialogTemplate;     // 291
extern const DialogTemplate g_claaPageTemplate;       // 292
