// Rewrites the first 256 bytes of a linked Windows executable into the project's DOS header and
// stub, and moves the PE headers to offset 256.
#pragma once

#include <stdint.h>
#include <string>
#include <vector>

const uint32_t PE_HEADER_OFFSET = 256;

// Rewrites image in place. 1 on success; 0 with a reason in *error, the image unchanged.
int PeRewriteStub(std::vector<unsigned char> *image, std::string *error);
// The PE checksum of an image whose CheckSum field lies at checksumOffset.
uint32_t PeChecksum(const std::vector<unsigned char> &image, uint32_t checksumOffset);
