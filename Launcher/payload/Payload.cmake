# nimbrel_payload, nimbrel_payload_win
