// A lower layer reaching up through a public header.
#include <qvpreview/High.h>
