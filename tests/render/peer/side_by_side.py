# Two screenshots (24-bit BMP) side by side at half size as a PNG, and their mean difference.
# Usage: side_by_side.py BEFORE.bmp AFTER.bmp OUT.png
import struct, zlib, sys
def readbmp(p):
    d=open(p,'rb').read()
    off=struct.unpack('<I',d[10:14])[0]; w,h=struct.unpack('<ii',d[18:26]); bpp=struct.unpack('<H',d[28:30])[0]
    row=(w*bpp//8+3)&~3; px=[]
    flip=h>0; h=abs(h)
    rows=[]
    for y in range(h):
        r=d[off+y*row: off+y*row+w*3]
        rows.append(bytes(b for i in range(0,len(r),3) for b in (r[i+2],r[i+1],r[i])))
    if flip: rows.reverse()
    return w,h,rows
def writepng(p,w,h,rows):
    raw=b''.join(b'\0'+r for r in rows)
    def chunk(t,data): return struct.pack('>I',len(data))+t+data+struct.pack('>I',zlib.crc32(t+data)&0xffffffff)
    open(p,'wb').write(b'\x89PNG\r\n\x1a\n'+chunk(b'IHDR',struct.pack('>IIBBBBB',w,h,8,2,0,0,0))+chunk(b'IDAT',zlib.compress(raw,6))+chunk(b'IEND',b''))
a=readbmp(sys.argv[1]); b=readbmp(sys.argv[2])
w,h=a[0],a[1]
# half size side by side
rows=[]
for y in range(0,h,2):
    ra=a[2][y]; rb=b[2][y]
    rows.append(bytes(ra[i] for x in range(0,w,2) for i in range(x*3,x*3+3))+bytes(rb[i] for x in range(0,w,2) for i in range(x*3,x*3+3)))
writepng(sys.argv[3],w,len(rows),rows)
# mean abs diff
tot=0;n=0
for y in range(0,h,4):
    ra=a[2][y]; rb=b[2][y]
    for i in range(0,len(ra),12):
        tot+=abs(ra[i]-rb[i])+abs(ra[i+1]-rb[i+1])+abs(ra[i+2]-rb[i+2]); n+=3
print(sys.argv[3],'mean abs diff',round(tot/n,2))
