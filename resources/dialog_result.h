#pragma once

// What a modal dialog answers from DoModal()/exec().
enum DialogResult : int {
    IDOK = 1,
    IDCANCEL = 2,
};
