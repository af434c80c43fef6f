Kestrelmaps Track Point File Version 2.1
WGS 84
Altitude is in Feet
Reserved 3
0,2,255,Track A,1,0,0,255
0
