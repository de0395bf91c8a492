/* Resource identifiers shared by resources.rc and the window's code. */
#pragma once

/* The program's icon: Explorer shows the first icon group, the window uses it too. */
#define PELTRIX_ICON 1
