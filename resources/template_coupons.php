<?php
/* Tillbox coupon table, one entry. The exporter fills each value escaped for
   a single-quoted PHP string (backslash and quote escaped; numbers and dates
   as text too) and joins the entries with line breaks, so a value can never
   leave its string. Requested directly, the table shows nothing. */
if (!defined('TILLBOX_COUPONS')) { http_response_code(404); exit; }
$tillboxCoupons[] = array('code' => '%CODE%', 'text' => '%TEXT%', 'from' => '%FROM%', 'to' => '%TO%',
    'value' => '%VALUE%', 'type' => '%TYPE%', 'sku' => '%APPLY%'); ?>