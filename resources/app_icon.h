#pragma once

class QIcon;

// The tool's icon (resource 128): a radio mast sending waves, painted at the
// usual icon sizes, so no image file has to ship with the program.
QIcon MakeAppIcon();
