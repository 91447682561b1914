// Result codes of the simulated platform's bounded operations.
#pragma once

#define QZ_SIM_EOK 0
#define QZ_SIM_EINVAL 22   /* a missing argument, or an unusable destination */
#define QZ_SIM_ERANGE 34   /* the destination is too small */
#define QZ_SIM_EOVERLAP 54 /* source and destination overlap */
