#include "Fonts.h"

#include <QFont>
#include <QStringList>

void MapWindowsFonts() {
    // Liberation Sans at 11 pixels averages 6 pixels a letter, the width the windows' captions, buttons
    // and tab stops were laid out for; the system's usual fallback, DejaVu Sans, sets captions an eighth
    // wider and cuts them off. Arimo and Arial share Liberation Sans' widths; DejaVu Sans Condensed is near
    // enough where none of them is installed.
    QFont::insertSubstitutions("MS Sans Serif",
                               QStringList{"Liberation Sans", "Arimo", "Arial", "DejaVu Sans Condensed"});
    // Fixed-pitch faces of the same advance, or nearly, so a printed line holds as many characters.
    QFont::insertSubstitutions("Courier New", QStringList{"Liberation Mono", "Cousine", "DejaVu Sans Mono"});
}
