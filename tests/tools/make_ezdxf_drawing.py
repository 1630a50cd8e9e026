#!/usr/bin/python3
"""Writes a drawing with ezdxf for the DXF reader's tests: a layer and a block with Japanese
names, device frames with Japanese attribute texts, a text, a dimension and an ellipse.

usage: make_ezdxf_drawing.py VERSION OUT.dxf   (VERSION: R12, R2000, R2018, ...)
"""
import sys

import ezdxf


def main():
    version, path = sys.argv[1], sys.argv[2]
    doc = ezdxf.new(version)
    doc.layers.add("TOVEK_FRONT", color=3)
    off = doc.layers.add("機器枠_側面")
    off.off()
    off.lock()
    block = doc.blocks.new("TOVEK枠")
    if version == "R12":
        block.add_polyline2d([(0, 0), (40, 0), (40, 60), (0, 60)], close=True)
    else:
        block.add_lwpolyline([(0, 0), (40, 0), (40, 60), (0, 60)], close=True)
    for tag, y in (("NAME", 38), ("TYPE", -18), ("SPEC", -23), ("AUX1", -28)):
        block.add_attdef(tag, (0, y), dxfattribs={"height": 5})
    msp = doc.modelspace()
    frames = (("MC1", "電磁開閉器", "AC200V 11kW", ""), ("MC2", "電磁開閉器", "AC200V 11kW", ""),
              ("CB1", "配線用遮断器", "3P 50A", "φ22"))
    for i, (name, kind, spec, aux) in enumerate(frames):
        ref = msp.add_blockref("TOVEK枠", (100 * i, 0), dxfattribs={"layer": "TOVEK_FRONT"})
        ref.add_auto_attribs({"NAME": name, "TYPE": kind, "SPEC": spec, "AUX1": aux})
    msp.add_text("盤面配置図", dxfattribs={"height": 10, "layer": "機器枠_側面"}).set_placement((0, -80))
    msp.add_line((0, -100), (300, -100))
    if version != "R12":
        msp.add_ellipse((0, 0), major_axis=(10, 0), ratio=0.5)
    doc.saveas(path)


if __name__ == "__main__":
    main()
