#!/usr/bin/python3
"""Reduces a PPM to 256 colours with Pillow's plain median cut (quantize's default for RGB, no
dithering) and writes the result as a PPM: the reference the colour-reduction benchmark holds
ours against. Usage: median_cut.py IN.ppm OUT.ppm"""
import sys

from PIL import Image

Image.open(sys.argv[1]).convert("RGB").quantize(256).convert("RGB").save(sys.argv[2])
