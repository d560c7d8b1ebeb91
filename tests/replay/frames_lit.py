#!/usr/bin/env python3
"""Checks that the frame written for a pass shows that pass's pads: the
pad_slide trace's pad 0 lit from its make (pass 2) to its break (pass 5),
pad 2 lit in pass 6 only. Reads the PNG files the replay wrote.

    frames_lit.py REPLAY IMAGES_DIR TRACE FRAMES_DIR
"""
import shutil
import subprocess
import struct
import sys
import zlib

def png_pixel(path,x,y):
    d=open(path,'rb').read()
    pos=8; idat=b''
    while pos<len(d):
        l=struct.unpack('>I',d[pos:pos+4])[0]; t=d[pos+4:pos+8]; c=d[pos+8:pos+8+l]
        if t==b'IHDR': w,h,bd,ct=struct.unpack('>IIBB',c[:10])
        if t==b'IDAT': idat+=c
        pos+=12+l
    raw=zlib.decompress(idat); bpp=3 if ct==2 else 4; stride=w*bpp
    rows=[]; prev=bytearray(stride); i=0
    for r in range(h):
        f=raw[i]; i+=1; line=bytearray(raw[i:i+stride]); i+=stride
        for k in range(stride):
            a=line[k-bpp] if k>=bpp else 0; b=prev[k]; c2=prev[k-bpp] if k>=bpp else 0
            if f==1: line[k]=(line[k]+a)&255
            elif f==2: line[k]=(line[k]+b)&255
            elif f==3: line[k]=(line[k]+((a+b)>>1))&255
            elif f==4:
                p=a+b-c2; pa=abs(p-a); pb=abs(p-b); pc=abs(p-c2)
                pr=a if pa<=pb and pa<=pc else (b if pb<=pc else c2)
                line[k]=(line[k]+pr)&255
        rows.append(line); prev=line
    return tuple(rows[y][x*bpp:x*bpp+3])


def main():
    replay, images, trace, frames = sys.argv[1:5]
    shutil.rmtree(frames, ignore_errors=True)
    subprocess.run([replay, "--images", images, "--frames", frames, trace], check=True,
                   stdout=subprocess.DEVNULL)
    lit = lambda colour: sum(colour) > 300
    problems = []
    for p, pad0, pad2 in [(1, False, False), (2, True, False), (4, True, False),
                          (5, False, False), (6, False, True), (7, False, False)]:
        frame = "%s/pass-%06d.png" % (frames, p)
        if lit(png_pixel(frame, 700, 520)) != pad0 or lit(png_pixel(frame, 860, 520)) != pad2:
            problems.append("pass %d: pad 0 %s, pad 2 %s" % (p, "lit" if not pad0 else "dark",
                                                               "lit" if not pad2 else "dark"))
    if problems:
        print("frames show another pass than their own: " + "; ".join(problems))
        return 1
    print("each pass's frame shows its own pads")
    return 0


if __name__ == "__main__":
    sys.exit(main())
