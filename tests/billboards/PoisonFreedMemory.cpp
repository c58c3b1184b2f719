// Memory given back by delete is overwritten first in this program, so that a unit used
// or deleted again after its deletion crashes the test instead of passing by luck.

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <new>

void operator delete(void* block) noexcept
{
    if (!block) return;
    memset(block, 0xDD, _msize(block));
    free(block);
}

void operator delete(void* block, std::size_t) noexcept { operator delete(block); }
void operator delete[](void* block) noexcept { operator delete(block); }
void operator delete[](void* block, std::size_t) noexcept { operator delete(block); }
