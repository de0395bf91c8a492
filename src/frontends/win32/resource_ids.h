/* Resource identifiers shared by resources.rc and the window's code. */
#pragma once

/* The program's icon: Explorer shows the first icon group, the window uses it too. */
#define PELTRIX_ICON 1

/* The "Adjust" dialog: a label, a slider and a value text per tone value, and "Reset". */
#define PELTRIX_ADJUST_DIALOG 100
#define PELTRIX_TONE_LABEL 1100 /* + slider 0..3 */
#define PELTRIX_TONE_SLIDER 1110
#define PELTRIX_TONE_VALUE 1120
#define PELTRIX_TONE_RESET 1130
