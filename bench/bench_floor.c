/* A call across a library boundary that does nothing but return. */
#include <stdint.h>

uint32_t qz_bench_constant(uint32_t refresh);

uint32_t qz_bench_constant(uint32_t refresh)
{
    (void)refresh;
    return 1;
}
