/* Resource numbers of both programs, shared by their resource scripts and
 * their code (plain macros, because the resource compiler reads them). */
#ifndef KELT_RESOURCE_IDS_H
#define KELT_RESOURCE_IDS_H

#define KELT_PANEL_ICON 114          /* panel and port-selection dialog */
#define KELT_PANEL_FRONT_BITMAP 115  /* the front plate, top left of the panel */
#define KELT_UPDATING_BITMAP 113     /* the "Updating" splash */
#define KELT_TERMINAL_ICON 102

#endif
