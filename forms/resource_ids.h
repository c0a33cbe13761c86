/* Resource ids of the program file, shared by the resource script and the
   form descriptions (plain C: the resource compiler reads it too). */
#pragma once

/* The product icon: 32 by 32, 16 colours. Also the program file's icon. */
#define QUENBY_ICON_RESOURCE 1
