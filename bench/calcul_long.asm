; A long CPU-bound console program for `zorv run --bdos --stats`:
; arithmetic, a memory copy and a call/return per byte; 32 × 65536 rounds of
; 64 bytes (about 1.8 thousand million instructions), then a line and the end.
BDOS    EQU     5
        ORG     100H
DEBUT:  LHLD    6
        SPHL
        MVI     A,32
        STA     PASSES
PASSE:  LXI     B,0             ; round counter, kept on the stack
TOUR:   PUSH    B
        LXI     H,4000H
        LXI     D,5000H
        MVI     C,64
        MVI     B,0
COPIE:  MOV     A,M
        STAX    D
        INX     H
        INX     D
        CALL    CALCUL
        DCR     C
        JNZ     COPIE
        POP     B
        INX     B
        MOV     A,B
        ORA     C
        JNZ     TOUR
        LDA     PASSES
        DCR     A
        STA     PASSES
        JNZ     PASSE
        LXI     D,FINI
        MVI     C,9
        CALL    BDOS
        JMP     0
CALCUL: ADD     B
        MOV     B,A
        DAA
        ADC     C
        RAL
        RET
PASSES: DB      0
FINI:   DB      'fini',13,10,'$'
        END     DEBUT
