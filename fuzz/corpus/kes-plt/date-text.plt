Kestrelmaps Track Point File Version 2.1
WGS 84
Altitude is in Feet
Reserved 3
0,2,255,Track A,1,0,0,255
0
47.0,8.0,0,-777,0, 01-Mar-04, 12:00:00
47.1,8.1,1
,
