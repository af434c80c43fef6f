Kestrelmaps Track Point File Version 2.1
WGS 84
Altitude is in Feet
Reserved 3
0,2,255,ACTIVE LOG 003,1,0,0,255
0
  51.312498,  12.413118,1,    491,38473.4447222, 01-May-05, 10:40:24
