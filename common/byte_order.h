// Little-endian 16- and 32-bit readers and writers over plain bytes: the byte order of every
// file format and registry value the programs keep.
#pragma once

#include <stdint.h>

inline uint16_t ReadLe16(const unsigned char *p)
{
    return (uint16_t)(p[0] | (p[1] << 8));
}
inline uint32_t ReadLe32(const unsigned char *p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}
inline void WriteLe16(unsigned char *p, uint16_t v)
{
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
}
inline void WriteLe32(unsigned char *p, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        p[i] = (unsigned char)(v >> (8 * i));
}
