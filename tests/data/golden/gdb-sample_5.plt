Kestrelmaps Track Point File Version 2.1
WGS 84
Altitude is in Feet
Reserved 3
0,2,255,ACTIVE LOG 005,1,0,0,255
0
  51.312752,  12.412534,1,    529,38473.4505324, 01-May-05, 10:48:46
