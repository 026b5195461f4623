select a.code,c.aliascode as aliascode,c.name as name,c.investtype as investtype,c.investstyle as investstyle,c.expiredate as expiredate,
       c.fundtype as fundtype, c.createdate as createdate, c.quotient as quotient,c.latestholderaccountnumber as peoples,
       a.date,a.value as value,a.totalvalue as totalvalue,a.previousvalue as previousvalue,a.previoustotalvalue as previoustotalvalue,
       a.previousdate as previousdate,a.increase as increase,a.increasepercent as increasepercent,a.price as price,
       a.pricevalue as pricevalue,a.pricevalueRate as pricevaluerate, ' ' as date_due, ' ' as pricevalueyearincome,
       /* shown after the first '-' past the initial: an empty one stands as '-', so the name shows whole */ case substr(e.pycode,1,1) when '' then '-' else substr(e.pycode,1,1) end || '-' || e.name as company,
        c.pycode as pycode 
from  tb_closedfund a
left join tb_closedfund b on b.code=a.code
left join tb_bonus x on x.code=a.code and x.currdate=(select date from tb_closedfund limit 1) and not b.isdeleted 
left join tb_fund c on c.code = a.code and isdellisting = 0 and not c.isdeleted
left join tb_investadvisor e on c.companyguid = e.guid and not c.isdeleted 