; A delay loop of known T-states for the pacing of "Vitesse réelle":
; 10 × (LXI 10 + 62500 × (DCX 6 + MOV 4 + ORA 4 + JNZ 10) + DCR 4 + JNZ 10)
; + MVI 7 + HLT 5, less 3 for each JNZ not taken = 15 000 219 T-states,
; 5.000073 s at 3000 kHz.
; zorv run --load 2000=boucle_attente.bin --pc 2000 --until-halt --vitesse reelle --stats
        ORG     2000H
        MVI     D,10
EXTER:  LXI     B,62500
INTER:  DCX     B
        MOV     A,B
        ORA     C
        JNZ     INTER
        DCR     D
        JNZ     EXTER
        HLT
