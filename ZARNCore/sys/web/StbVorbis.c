/* stb_vorbis's code for the browser build, where no compiled libstb is at
   hand; on the desktop it comes from Debian's libstb. */
#include <stb/stb_vorbis.h>
