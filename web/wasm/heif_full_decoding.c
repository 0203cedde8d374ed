/* libheif's WebAssembly build asks libde265 to skip the HEVC deblocking filter and the sample
 * adaptive offset, to decode faster in a browser. Skipped, they leave block edges and banding
 * that the native build's pictures do not have, so a HEIC slide would differ from glimmer-pack's.
 * deps.sh compiles libheif with its parameter call renamed to this function, which passes every
 * parameter on except those two. */
#include <libde265/de265.h>

void glimmer_de265_parameter_kept(de265_decoder_context *context, enum de265_param param,
                                  int value)
{
    if (param == DE265_DECODER_PARAM_DISABLE_DEBLOCKING || param == DE265_DECODER_PARAM_DISABLE_SAO)
        return;
    de265_set_parameter_bool(context, param, value);
}
